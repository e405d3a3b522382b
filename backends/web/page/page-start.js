// The page's start-up: the site's file names for the backend, the web font (the game hears the
// player only once it is in; the first frame, which draws no text, does not wait for it), the
// full font when the word list needs more than the subset, and the service worker.
'use strict';

(function() {
  const page = window.keyfallPage;
  const loop = page.loop;
  const site = window.keyfallSite || {files: {}, music: {}, font: null};

  // --- The web font ----------------------------------------------------------------------------

  // The subset holds the shipped words' characters and the program's own; any other character
  // of a word list is drawn with the whole font, fetched when the list is seen to need it.
  const fonts = {
    subsetCharacters: new Set(site.font ? site.font.characters : []),
    subset: null,
    full: null,

    load(what, url) {
      loop.hold(what);
      const face = new FontFace(page.fontFamily, 'url(' + url + ')');
      this[what] = face;
      // The face added last is chosen first: the full font, once in, draws every text alike.
      return face.load().then(() => document.fonts.add(face)).catch((error) => {
        console.warn('Keyfall: the font ' + url + ' could not be loaded (' + error +
                     '); the browser\'s own face stands in.');
      }).finally(() => {
        page.text.fontsChanged();
        loop.release(what);
      });
    },
    // The characters of the text that the subset lacks.
    missing(text) {
      const missing = new Set();
      for (const character of text) {
        if (character >= ' ' && !this.subsetCharacters.has(character)) missing.add(character);
      }
      return [...missing];
    },
  };
  page.fonts = fonts;
  if (site.font) fonts.load('subset', site.font.subset);

  // The word list as the game reads it: UTF-8 when it decodes as such, else code page 932.
  function wordListText() {
    const FS = Module.FS;
    const folder = Module.keyfallFiles.dataFolder;
    const name = FS.readdir(folder).find((n) => n.toLowerCase() === 'words.txt');
    if (!name || !FS.isFile(FS.stat(folder + '/' + name).mode)) return '';
    const bytes = FS.readFile(folder + '/' + name);
    try {
      return new TextDecoder('utf-8', {fatal: true}).decode(bytes);
    } catch (error) {
      return page.decode(bytes);
    }
  }

  function checkWordList() {
    if (!site.font) return;
    let text = '';
    try {
      text = wordListText();
    } catch (error) {
      return;  // the game reports a missing list itself
    }
    if (fonts.missing(text).length > 0) fonts.load('full', site.font.full);
  }

  // --- The backend -----------------------------------------------------------------------------

  window.Module = {
    locateFile: (name, prefix) => site.files[name] || prefix + name,
    // After the data package is in and before main: the word list is there to be read.
    onRuntimeInitialized: checkWordList,
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
    onAbort: () => page.setStatus('Keyfall が止まりました。(Keyfall has stopped.)'),
  };

  // --- Offline ---------------------------------------------------------------------------------

  if ('serviceWorker' in navigator && window.isSecureContext) {
    window.addEventListener('load', () => {
      navigator.serviceWorker.register('sw.js').catch((error) => {
        console.warn('Keyfall: no offline copy (' + error + ').');
      });
    });
  }
})();
