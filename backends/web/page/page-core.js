// The page's core: the game's queue and the message loop's sleep, code page 932 text, the
// window's state and the scaling of its canvas. The web backend (keyfall.js) calls in
// through window.keyfallPage; the other page scripts (screen, menu, input) add to it.
'use strict';

(function() {
  const page = {
    frameWidth: 640,
    frameHeight: 320,
    // What the player does, as the backend's queue names it (web_bridge.h).
    events: {keyDown: 1, character: 2, command: 3, initMenu: 4, filesChanged: 5},
  };
  window.keyfallPage = page;

  const element = (id) => document.getElementById(id);
  const screenCanvas = element('screen');

  page.setStatus = function(text) {
    const status = element('status');
    status.textContent = text;
    status.hidden = text === '';
  };

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

  // --- The game's clock ---------------------------------------------------------------------

  // The backend's milliseconds: the page's time less the time the game was paused, so that a
  // pause gives the player nothing and takes nothing.
  const clock = {
    pausedAt: null,
    pausedFor: 0,
    now() {
      return (this.pausedAt === null ? performance.now() : this.pausedAt) - this.pausedFor;
    },
    get paused() {
      return this.pausedAt !== null;
    },
    pause() {
      if (this.pausedAt === null) this.pausedAt = performance.now();
    },
    resume() {
      if (this.pausedAt === null) return;
      this.pausedFor += performance.now() - this.pausedAt;
      this.pausedAt = null;
      loop.wake();
    },
  };
  page.clock = clock;

  // --- The message loop's side ---------------------------------------------------------------

  // The game's loop sleeps in sleep(); an event wakes it at once, inside the handler that
  // queued it, so the game has answered before the browser goes on (before a menu opens,
  // its items are greyed). Until the page lets it (the font is in), the game hears nothing;
  // while the clock is paused no timer wakes it and the keyboard is not heard.
  const loop = {
    queue: [],
    wakeUp: null,
    timeout: 0,
    frameRequest: 0,
    frameArrived: false,
    holds: new Set(),
    timed: false,  // the game's last sleep had a timer to wait for

    sleep(timeoutMs, wantFrame, wakeUp) {
      this.timed = timeoutMs >= 0;
      if ((this.queue.length > 0 && this.holds.size === 0) || (wantFrame && this.frameArrived)) {
        wakeUp();
        return;
      }
      this.wakeUp = wakeUp;
      // The browser drops a wait's fraction of a millisecond: woken that early, the loop would
      // find its timer not yet due and sleep again, over and over, until it is.
      if (timeoutMs >= 0 && !clock.paused) {
        this.timeout = setTimeout(() => this.wake(), Math.ceil(timeoutMs));
      }
      // One request stands until its frame comes, however often the loop wakes meanwhile.
      if (wantFrame && !this.frameRequest) {
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
      wakeUp();
    },
    push(kind, value) {
      const keyboard = kind === page.events.keyDown || kind === page.events.character;
      if (keyboard && clock.paused) return;
      this.queue.push({kind, value});
    },
    take() {
      if (this.holds.size > 0) return null;
      return this.queue.shift() || null;
    },
    takeFrame() {
      const arrived = this.frameArrived;
      this.frameArrived = false;
      return arrived;
    },
    // The game's events wait (in order) while any hold stands.
    hold(reason) {
      this.holds.add(reason);
    },
    release(reason) {
      if (this.holds.delete(reason) && this.holds.size === 0) this.wake();
    },
  };
  page.loop = loop;

  page.send = function(kind, value) {
    loop.push(kind, value || 0);
    loop.wake();
  };

  // --- Window ----------------------------------------------------------------------------

  page.windowCreated = function(title) {
    document.title = title;
    page.setStatus('');
    document.body.dataset.keyfall = 'running';
    // The music is not needed before Start: it is fetched once the first frame is out.
    setTimeout(() => page.sound.prefetch(), 0);
  };

  page.windowDestroyed = function() {
    page.menu.closeAll();
    document.body.dataset.keyfall = 'closed';
    screenCanvas.classList.add('closed');
    page.setStatus('Keyfall を終了しました。ページを再読み込みすると、また遊べます。' +
                   ' (Keyfall has ended; reload the page to play again.)');
  };

  // The frame's pixels map onto whole device pixels: the canvas is scaled by the largest
  // whole number that the device pixel ratio holds, and the browser does not smooth them.
  function applyScale() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(ratio + 1e-6));
    const width = (page.frameWidth * scale) / ratio;
    screenCanvas.style.width = width + 'px';
    screenCanvas.style.height = (page.frameHeight * scale) / ratio + 'px';
    element('window').style.width = width + 'px';
    matchMedia('(resolution: ' + ratio + 'dppx)').addEventListener('change', applyScale,
                                                                   {once: true});
  }
  applyScale();
})();
