// The page around the game: the menu bar, the message boxes, the keyboard, the screen canvas
// and its scaling, text in the web font, and the music. The web backend (keyfall.js) calls
// in through window.keyfallPage; what the player does reaches the game through its queue.
'use strict';

(function() {
  const frameWidth = 640;
  const frameHeight = 320;
  const fontFamily = 'Keyfall IPAGothic';
  const eventKeyDown = 1;
  const eventCharacter = 2;
  const eventCommand = 3;
  const eventInitMenu = 4;

  const page = {};
  window.keyfallPage = page;

  const element = (id) => document.getElementById(id);
  const screenCanvas = element('screen');
  const screenContext = screenCanvas.getContext('2d');

  function setStatus(text) {
    const status = element('status');
    status.textContent = text;
    status.hidden = text === '';
  }

  // --- Code page 932 text ------------------------------------------------------------------

  const shiftJis = new TextDecoder('shift_jis');
  const shiftJisStrict = new TextDecoder('shift_jis', {fatal: true});
  const decoded = new Map();

  const isLeadByte = (b) => (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);

  // Character by character: a pair the table does not know becomes one full-width mark and
  // a stray byte a '?', so the rest of the text and its width survive.
  function decodeEach(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length;) {
      const size = isLeadByte(bytes[i]) && i + 1 < bytes.length ? 2 : 1;
      try {
        text += shiftJisStrict.decode(bytes.subarray(i, i + size));
      } catch (error) {
        text += size === 2 ? '\u30fb' : '?';
      }
      i += size;
    }
    return text;
  }

  page.decode = function(bytes) {
    let key = '';
    let ascii = true;
    for (let i = 0; i < bytes.length; ++i) {
      key += String.fromCharCode(bytes[i]);
      if (bytes[i] >= 0x80) ascii = false;
    }
    if (ascii) return key;
    let text = decoded.get(key);
    if (text === undefined) {
      text = shiftJis.decode(bytes);
      if (text.includes('\ufffd')) text = decodeEach(bytes);
      if (decoded.size > 4096) decoded.clear();
      decoded.set(key, text);
    }
    return text;
  };

  // --- The message loop's side ---------------------------------------------------------------

  // The game's loop sleeps in sleep(); an event wakes it at once, inside the handler that
  // queued it, so the game has answered before the browser goes on (before a menu opens,
  // its items are greyed).
  const loop = {
    queue: [],
    wakeUp: null,
    timeout: 0,
    frameRequest: 0,
    frameArrived: false,

    sleep(timeoutMs, wantFrame, wakeUp) {
      if (this.queue.length > 0 || (wantFrame && this.frameArrived)) {
        wakeUp();
        return;
      }
      this.wakeUp = wakeUp;
      if (timeoutMs >= 0) this.timeout = setTimeout(() => this.wake(), timeoutMs);
      if (wantFrame) {
        this.frameRequest = requestAnimationFrame(() => {
          this.frameRequest = 0;
          this.frameArrived = true;
          this.wake();
        });
      }
    },
    wake() {
      const wakeUp = this.wakeUp;
      if (!wakeUp) return;  // the game is running already and will see the queue
      this.wakeUp = null;
      clearTimeout(this.timeout);
      if (this.frameRequest) cancelAnimationFrame(this.frameRequest);
      this.frameRequest = 0;
      wakeUp();
    },
    push(kind, value) {
      this.queue.push({kind, value});
    },
    take() {
      return this.queue.shift() || null;
    },
    takeFrame() {
      const arrived = this.frameArrived;
      this.frameArrived = false;
      return arrived;
    },
  };
  page.loop = loop;

  function send(kind, value) {
    loop.push(kind, value || 0);
    loop.wake();
  }

  // --- Window ----------------------------------------------------------------------------

  page.windowCreated = function(title) {
    document.title = title;
    setStatus('');
    document.body.dataset.keyfall = 'running';
  };

  page.windowDestroyed = function() {
    menu.closeAll();
    document.body.dataset.keyfall = 'closed';
    screenCanvas.classList.add('closed');
    setStatus('Keyfall を終了しました。ページを再読み込みすると、また遊べます。' +
              ' (Keyfall has ended; reload the page to play again.)');
  };

  // The frame's pixels map onto whole device pixels: the canvas is scaled by the largest
  // whole number that the device pixel ratio holds, and the browser does not smooth them.
  function applyScale() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(ratio + 1e-6));
    const width = (frameWidth * scale) / ratio;
    screenCanvas.style.width = width + 'px';
    screenCanvas.style.height = (frameHeight * scale) / ratio + 'px';
    element('window').style.width = width + 'px';
    matchMedia('(resolution: ' + ratio + 'dppx)').addEventListener('change', applyScale,
                                                                   {once: true});
  }
  applyScale();

  // --- Frame bitmaps, text and the screen ----------------------------------------------------

  // Frame bitmaps are canvases; the game makes and deletes one at every paint, so deleted
  // ones are kept for the next.
  const bitmaps = {
    live: new Map(),
    spare: [],
    next: 1,

    create(width, height) {
      let found = this.spare.findIndex((b) => b.canvas.width === width &&
                                              b.canvas.height === height);
      let bitmap;
      if (found >= 0) {
        bitmap = this.spare.splice(found, 1)[0];
      } else {
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        const context = canvas.getContext('2d');
        if (!context) return 0;
        bitmap = {canvas, context};
      }
      bitmap.texts = [];
      const id = this.next++;
      this.live.set(id, bitmap);
      return id;
    },
    upload(id, rgba, width, height) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, width * height * 4);
      bitmap.context.putImageData(new ImageData(pixels, width, height), 0, 0);
    },
    remove(id) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      this.live.delete(id);
      if (this.spare.length < 2) this.spare.push(bitmap);
    },
  };
  page.bitmaps = bitmaps;

  const measuring = document.createElement('canvas').getContext('2d');
  const fontAscents = new Map();

  function fontOf(height) {
    return height + 'px "' + fontFamily + '", monospace';
  }

  // Texts are placed by the top of their cell, as the game's text calls are: the baseline
  // lies the font's ascent below it.
  function ascentOf(height) {
    let ascent = fontAscents.get(height);
    if (ascent === undefined) {
      measuring.font = fontOf(height);
      const metrics = measuring.measureText('\u3042');
      ascent = Math.round(metrics.fontBoundingBoxAscent || height * 0.88);
      fontAscents.set(height, ascent);
    }
    return ascent;
  }

  function colourOf(colour) {
    const red = colour & 0xff;
    const green = (colour >> 8) & 0xff;
    const blue = (colour >> 16) & 0xff;
    return 'rgb(' + red + ',' + green + ',' + blue + ')';
  }

  const text = {
    width(height, string) {
      measuring.font = fontOf(height);
      return Math.round(measuring.measureText(string).width);
    },
    draw(id, height, colour, opaque, x, y, string) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      const context = bitmap.context;
      context.font = fontOf(height);
      if (opaque) {
        context.fillStyle = '#fff';
        context.fillRect(x, y, Math.round(context.measureText(string).width), height);
      }
      context.fillStyle = colourOf(colour);
      context.textBaseline = 'alphabetic';
      context.fillText(string, x, y + ascentOf(height));
      bitmap.texts.push({x, y, colour, text: string});
    },
  };
  page.text = text;

  // What the player sees: the last frame copied to the window, and its texts.
  const screen = {
    texts: [],
    present(id, width, height) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      const w = Math.min(width, bitmap.canvas.width, frameWidth);
      const h = Math.min(height, bitmap.canvas.height, frameHeight);
      if (w <= 0 || h <= 0) return;
      screenContext.drawImage(bitmap.canvas, 0, 0, w, h, 0, 0, w, h);
      this.texts = bitmap.texts;
    },
    fillWhite() {
      screenContext.fillStyle = '#fff';
      screenContext.fillRect(0, 0, frameWidth, frameHeight);
    },
  };
  page.screen = screen;

  // How long the paints took (the newest thousand), for the bench.
  const stats = {
    paints: [],
    paintTook(ms) {
      this.paints.push(ms);
      if (this.paints.length > 1000) this.paints.splice(0, this.paints.length - 1000);
    },
  };
  page.stats = stats;

  // --- Music -------------------------------------------------------------------------------

  // Web Audio, started from the Start command: the player's key or click has already let the
  // page make sound. Anything that goes wrong is silence.
  const sound = {
    context: null,
    buffers: new Map(),
    source: null,
    generation: 0,

    play(path, bytes) {
      this.stop();
      const generation = this.generation;
      try {
        if (!this.context) this.context = new AudioContext();
        if (this.context.state === 'suspended') this.context.resume().catch(() => {});
      } catch (error) {
        return;
      }
      const context = this.context;
      let buffer = this.buffers.get(path);
      if (!buffer) {
        const copy = bytes.slice().buffer;
        buffer = context.decodeAudioData(copy);
        this.buffers.set(path, buffer);
      }
      buffer.then((decodedBuffer) => {
        if (generation !== this.generation) return;  // stopped or replaced meanwhile
        const source = context.createBufferSource();
        source.buffer = decodedBuffer;
        source.loop = true;
        source.connect(context.destination);
        source.start();
        this.source = source;
      }).catch(() => {
        this.buffers.delete(path);
      });
    },
    stop() {
      this.generation++;
      if (this.source) {
        try {
          this.source.stop();
        } catch (error) {
          // already stopped
        }
        this.source.disconnect();
        this.source = null;
      }
    },
  };
  page.sound = sound;

  // --- Message boxes -------------------------------------------------------------------------

  const boxes = {
    open: new Map(),
    next: 1,

    openBox(message, caption) {
      const id = this.next++;
      const dialog = document.createElement('dialog');
      dialog.className = 'box';
      const title = document.createElement('h2');
      title.textContent = caption;
      const body = document.createElement('p');
      body.textContent = message;
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = 'OK';
      dialog.append(title, body, button);
      const dismiss = () => this.dismiss(id);
      button.addEventListener('click', dismiss);
      dialog.addEventListener('cancel', (event) => {
        event.preventDefault();
        dismiss();
      });
      dialog.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' || event.key === 'Escape') {
          event.preventDefault();
          dismiss();
        }
      });
      document.body.append(dialog);
      this.open.set(id, dialog);
      menu.closeAll();
      dialog.showModal();
      button.focus();
      return id;
    },
    // The player's answer: the box's loop sees it at once.
    dismiss(id) {
      if (!this.open.has(id)) return;
      this.close(id);
      loop.wake();
    },
    isOpen(id) {
      return this.open.has(id);
    },
    close(id) {
      const dialog = this.open.get(id);
      if (!dialog) return;
      this.open.delete(id);
      if (dialog.open) dialog.close();
      dialog.remove();
    },
    count() {
      return this.open.size;
    },
  };
  page.boxes = {
    open: (message, caption) => boxes.openBox(message, caption),
    isOpen: (id) => boxes.isOpen(id),
    close: (id) => boxes.close(id),
    count: () => boxes.count(),
    texts: () => [...boxes.open.values()].map((d) => ({
      caption: d.querySelector('h2').textContent,
      text: d.querySelector('p').textContent,
    })),
  };

  // --- Menu bar ----------------------------------------------------------------------------

  // A resource label: '&' marks the mnemonic, '&&' is an ampersand.
  function parseLabel(label) {
    const parts = [];
    let mnemonic = '';
    let plain = '';
    for (let i = 0; i < label.length; ++i) {
      if (label[i] === '&' && i + 1 < label.length) {
        ++i;
        if (label[i] !== '&' && !mnemonic) {
          parts.push(plain);
          plain = '';
          mnemonic = label[i];
          parts.push({mnemonic});
          continue;
        }
      }
      plain += label[i];
    }
    parts.push(plain);
    return {parts, mnemonic: mnemonic.toLowerCase()};
  }

  function labelElement(parsed) {
    const span = document.createElement('span');
    span.className = 'label';
    for (const part of parsed.parts) {
      if (typeof part === 'string') {
        span.append(part);
      } else {
        const underline = document.createElement('u');
        underline.textContent = part.mnemonic;
        span.append(underline);
      }
    }
    return span;
  }

  const menu = {
    bar: element('menubar'),
    tops: [],          // {button, popup, mnemonic}
    items: new Map(),  // command -> entry
    stack: [],         // popups being built
    active: false,     // the menu bar is active (a pop-up is open)
    path: [],          // the open pop-ups, outermost first

    newPopup(parent) {
      const list = document.createElement('div');
      list.className = 'popup';
      list.setAttribute('role', 'menu');
      list.hidden = true;
      return {element: list, entries: [], parent, highlighted: -1};
    },
    popupBegin(label) {
      const parsed = parseLabel(label);
      if (this.stack.length === 0) {
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'top';
        button.setAttribute('role', 'menuitem');
        button.setAttribute('aria-haspopup', 'true');
        button.append(labelElement(parsed));
        const popup = this.newPopup(null);
        const top = {button, popup, mnemonic: parsed.mnemonic};
        popup.top = top;
        const holder = document.createElement('div');
        holder.className = 'menu';
        holder.append(button, popup.element);
        this.bar.append(holder);
        button.addEventListener('mousedown', (event) => {
          event.preventDefault();
          if (this.active && this.path[0] === popup) {
            this.closeAll();
          } else {
            this.openTop(top, false);
          }
        });
        button.addEventListener('mouseenter', () => {
          if (this.active && this.path[0] !== popup) this.openTop(top, false);
        });
        this.tops.push(top);
        this.stack.push(popup);
      } else {
        const parent = this.stack[this.stack.length - 1];
        const row = this.row(parsed, 'menuitem');
        row.classList.add('submenu');
        row.setAttribute('aria-haspopup', 'true');
        const popup = this.newPopup(parent);
        row.append(popup.element);
        const entry = {row, popup, mnemonic: parsed.mnemonic, enabled: true};
        popup.owner = entry;
        parent.entries.push(entry);
        parent.element.append(row);
        row.addEventListener('mouseenter', () => this.highlight(parent, entry, true));
        row.addEventListener('mousedown', (event) => {
          event.preventDefault();
          if (event.target.closest('.popup') === parent.element) this.openSub(parent, entry);
        });
        this.stack.push(popup);
      }
    },
    popupEnd() {
      this.stack.pop();
    },
    row(parsed, role) {
      const row = document.createElement('div');
      row.className = 'item';
      row.setAttribute('role', role);
      const check = document.createElement('span');
      check.className = 'check';
      check.setAttribute('aria-hidden', 'true');
      row.append(check, labelElement(parsed));
      return row;
    },
    item(command, label, checkable) {
      const parent = this.stack[this.stack.length - 1];
      if (!parent) return;
      const parsed = parseLabel(label);
      const row = this.row(parsed, checkable ? 'menuitemcheckbox' : 'menuitem');
      row.dataset.command = String(command);
      if (checkable) row.setAttribute('aria-checked', 'false');
      const entry = {row, command, checkable, checked: false, enabled: true,
                     mnemonic: parsed.mnemonic};
      parent.entries.push(entry);
      parent.element.append(row);
      this.items.set(command, entry);
      row.addEventListener('mouseenter', () => this.highlight(parent, entry, false));
      row.addEventListener('mousedown', (event) => event.preventDefault());
      row.addEventListener('click', (event) => {
        event.stopPropagation();
        this.choose(entry);
      });
    },
    setChecked(command, checked) {
      const entry = this.items.get(command);
      if (!entry || !entry.checkable) return;
      entry.checked = checked;
      entry.row.classList.toggle('checked', checked);
      entry.row.setAttribute('aria-checked', String(checked));
    },
    setEnabled(command, enabled) {
      const entry = this.items.get(command);
      if (!entry) return;
      entry.enabled = enabled;
      entry.row.classList.toggle('greyed', !enabled);
      entry.row.setAttribute('aria-disabled', String(!enabled));
    },

    // The menu bar becomes active: the game hears of it before any pop-up shows.
    activate() {
      if (this.active) return;
      this.active = true;
      send(eventInitMenu);
    },
    openTop(top, byKeyboard) {
      if (boxes.count() > 0) return;
      this.activate();
      this.closeFrom(0);
      top.popup.element.hidden = false;
      top.button.classList.add('open');
      this.path = [top.popup];
      top.popup.highlighted = -1;
      this.paintHighlight(top.popup);
      if (byKeyboard) this.move(top.popup, 1);
    },
    openSub(parent, entry) {
      const level = this.path.indexOf(parent);
      if (level < 0) return;
      this.closeFrom(level + 1);
      entry.popup.element.hidden = false;
      entry.popup.highlighted = -1;
      this.paintHighlight(entry.popup);
      this.path.push(entry.popup);
      return entry.popup;
    },
    closeFrom(level) {
      while (this.path.length > level) {
        const popup = this.path.pop();
        popup.element.hidden = true;
        if (popup.top) popup.top.button.classList.remove('open');
      }
    },
    closeAll() {
      this.closeFrom(0);
      this.active = false;
    },
    highlight(popup, entry, openSubmenu) {
      popup.highlighted = popup.entries.indexOf(entry);
      this.paintHighlight(popup);
      const level = this.path.indexOf(popup);
      if (level >= 0) this.closeFrom(level + 1);
      if (openSubmenu) this.openSub(popup, entry);
    },
    paintHighlight(popup) {
      popup.entries.forEach((entry, i) => {
        entry.row.classList.toggle('highlighted', i === popup.highlighted);
      });
    },
    move(popup, step) {
      const count = popup.entries.length;
      if (count === 0) return;
      let index = popup.highlighted;
      index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
      popup.highlighted = index;
      this.paintHighlight(popup);
    },
    // A greyed item does nothing, and the menu stays open, as a Windows menu does.
    choose(entry) {
      if (entry.popup) {
        const parent = entry.popup.parent;
        const sub = this.openSub(parent, entry);
        if (sub) this.move(sub, 1);
        return;
      }
      if (!entry.enabled) return;
      this.closeAll();
      send(eventCommand, entry.command);
    },
    topIndex() {
      return this.path.length ? this.tops.indexOf(this.path[0].top) : -1;
    },
    // Keys while a pop-up is open are the menu's.
    key(event) {
      const popup = this.path[this.path.length - 1];
      const key = event.key;
      if (key === 'Escape') {
        if (this.path.length > 1) {
          this.closeFrom(this.path.length - 1);
        } else {
          this.closeAll();
        }
      } else if (key === 'ArrowDown') {
        this.move(popup, 1);
      } else if (key === 'ArrowUp') {
        this.move(popup, -1);
      } else if (key === 'ArrowRight') {
        const entry = popup.entries[popup.highlighted];
        if (entry && entry.popup) {
          this.choose(entry);
        } else {
          this.openTop(this.tops[(this.topIndex() + 1) % this.tops.length], true);
        }
      } else if (key === 'ArrowLeft') {
        if (this.path.length > 1) {
          this.closeFrom(this.path.length - 1);
        } else {
          const count = this.tops.length;
          this.openTop(this.tops[(this.topIndex() - 1 + count) % count], true);
        }
      } else if (key === 'Enter' || key === ' ') {
        const entry = popup.entries[popup.highlighted];
        if (entry) this.choose(entry);
      } else if (key === 'Alt') {
        this.closeAll();
      } else {
        const letter = letterOf(event);
        if (event.altKey && this.mnemonicOpen(event)) return;
        const entry = letter && popup.entries.find((e) => e.mnemonic === letter);
        if (entry) this.choose(entry);
      }
    },
    // Alt and a top-level mnemonic opens that pop-up. True when one matched.
    mnemonicOpen(event) {
      const letter = letterOf(event);
      const top = letter && this.tops.find((t) => t.mnemonic === letter);
      if (!top) return false;
      this.openTop(top, true);
      return true;
    },
  };
  page.menu = menu;

  document.addEventListener('mousedown', (event) => {
    if (menu.active && !menu.bar.contains(event.target)) menu.closeAll();
  });

  // --- Keyboard ----------------------------------------------------------------------------

  // The letter of a key for mnemonics: the key's own letter, or the physical one when a
  // modifier or layout gives something else.
  function letterOf(event) {
    if (event.key.length === 1 && /[a-z0-9]/i.test(event.key)) return event.key.toLowerCase();
    const match = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(event.code || '');
    return match ? (match[1] || match[2]).toLowerCase() : '';
  }

  const namedKeys = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, Shift: 0x10, Control: 0x11, Escape: 0x1b,
    ' ': 0x20, PageUp: 0x21, PageDown: 0x22, End: 0x23, Home: 0x24, ArrowLeft: 0x25,
    ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, Insert: 0x2d, Delete: 0x2e,
  };

  // The Windows virtual-key code of a key, or 0 for keys the game cannot tell apart anyway.
  function virtualKey(event) {
    const key = event.key;
    const fn = /^F([1-9]|1[0-2])$/.exec(key);
    if (fn) return 0x6f + Number(fn[1]);
    if (key.length === 1 && /[a-z]/i.test(key)) return key.toUpperCase().charCodeAt(0);
    if (key.length === 1 && /[0-9]/.test(key)) return key.charCodeAt(0);
    return namedKeys[key] || 0;
  }

  // The character byte Windows would translate the key into, or -1 when it makes none.
  function characterOf(event) {
    switch (event.key) {
      case 'Backspace': return 8;
      case 'Tab': return 9;
      case 'Enter': return 13;
      case 'Escape': return 27;
      default: break;
    }
    if (event.key.length !== 1) return -1;
    const code = event.key.charCodeAt(0);
    if (event.ctrlKey) {
      // Ctrl with a letter gives its control code, as TranslateMessage does.
      const letter = letterOf(event);
      return /^[a-z]$/.test(letter) ? letter.toUpperCase().charCodeAt(0) - 0x40 : -1;
    }
    return code >= 0x20 && code < 0x7f ? code : -1;
  }

  const imeHint = element('ime-hint');

  window.addEventListener('keydown', (event) => {
    // A box is modal: its own keys dismiss it, and the game hears nothing.
    if (boxes.count() > 0 || document.body.dataset.keyfall !== 'running') return;
    // Keys that make a composition belong to the IME; the game judges half-width letters.
    if (event.isComposing || event.keyCode === 229) {
      imeHint.hidden = false;
      return;
    }
    if (menu.active) {
      event.preventDefault();
      menu.key(event);
      return;
    }
    if (event.altKey) {
      if (menu.mnemonicOpen(event)) event.preventDefault();
      return;
    }
    if (event.metaKey) return;
    const key = virtualKey(event);
    const character = characterOf(event);
    if (key === 0 && character < 0) return;
    imeHint.hidden = true;
    // The game's keys are its own (F5 is an item, not a reload, Tab does not move focus);
    // with Ctrl the browser keeps its shortcuts.
    if (!event.ctrlKey && key !== 0x7a && key !== 0x7b) event.preventDefault();
    if (key) loop.push(eventKeyDown, key);
    if (character >= 0) loop.push(eventCharacter, character);
    loop.wake();
  }, true);

  // --- Start-up ----------------------------------------------------------------------------

  // Text is drawn only once the web font is in; without it, the browser's monospace face.
  const fontReady = new FontFace(fontFamily, 'url(ipag.ttf)').load().then((face) => {
    document.fonts.add(face);
  }).catch((error) => {
    console.warn('Keyfall: the font ipag.ttf could not be loaded (' + error + ').');
  });

  window.Module = {
    preRun: [function() {
      Module.addRunDependency('keyfall-font');
      fontReady.then(() => Module.removeRunDependency('keyfall-font'));
    }],
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
    onAbort: () => setStatus('Keyfall が止まりました。(Keyfall has stopped.)'),
  };
})();
