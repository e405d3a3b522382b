// The page's menu bar, built from the game's menu table: pop-ups, check marks, greyed items,
// the mouse and the keyboard mnemonics (Alt+G, Alt+S, then the letter).
'use strict';

(function() {
  const page = window.keyfallPage;

  // The letter of a key for mnemonics: the key's own letter, or the physical one when a
  // modifier or layout gives something else.
  function letterOf(event) {
    if (event.key.length === 1 && /[a-z0-9]/i.test(event.key)) return event.key.toLowerCase();
    const match = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(event.code || '');
    return match ? (match[1] || match[2]).toLowerCase() : '';
  }
  page.letterOf = letterOf;


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
    bar: document.getElementById('menubar'),
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
      page.send(page.events.initMenu);
    },
    openTop(top, byKeyboard) {
      if (page.boxes.count() > 0) return;
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
      page.send(page.events.command, entry.command);
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
})();
