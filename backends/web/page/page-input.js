// The page's input: the modal message boxes and the keyboard (IME compositions left alone, the
// menu's keys, then the game's).
'use strict';

(function() {
  const page = window.keyfallPage;
  const loop = page.loop;
  const menu = page.menu;
  const keys = page.keys;

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

  // --- Keyboard ----------------------------------------------------------------------------

  const imeHint = document.getElementById('ime-hint');

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
    const key = keys.virtualKey(event);
    const characters = keys.charactersOf(event);
    if (key === 0 && characters.length === 0) return;
    imeHint.hidden = true;
    // The game's keys are its own (F5 is an item, not a reload, Tab does not move focus);
    // with Ctrl the browser keeps its shortcuts.
    if (!event.ctrlKey && key !== 0x7a && key !== 0x7b) event.preventDefault();
    if (key) loop.push(page.events.keyDown, key);
    for (const character of characters) loop.push(page.events.character, character);
    loop.wake();
  }, true);
})();
