// Key presses as the Windows messages the game hears, as the desktop backends translate them:
// virtual-key codes for key-down, and the character bytes that TranslateMessage and an ANSI
// window on Japanese Windows give (code page 932, with Windows' best-fit forms).
'use strict';

(function() {
  const page = window.keyfallPage;

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

  // Where Windows' conversion to code page 932 parts from the browser's Shift_JIS table read
  // backwards: its best fit ('e' for U+00E9) and its one-way forms. [character, bytes...]
  const windowsForms = [
    [0x0080, 0x80], [0x00A1, 0x21], [0x00A2, 0x81, 0x91], [0x00A3, 0x81, 0x92], [0x00A5, 0x5C],
    [0x00A6, 0x7C], [0x00A9, 0x63], [0x00AA, 0x61], [0x00AB, 0x81, 0xE1], [0x00AC, 0x81, 0xCA],
    [0x00AD, 0x2D], [0x00AE, 0x52], [0x00AF, 0x81, 0x50], [0x00B2, 0x32], [0x00B3, 0x33],
    [0x00B5, 0x83, 0xCA], [0x00B7, 0x81, 0x45], [0x00B8, 0x81, 0x43], [0x00B9, 0x31],
    [0x00BA, 0x6F], [0x00BB, 0x81, 0xE2], [0x00C0, 0x41], [0x00C1, 0x41], [0x00C2, 0x41],
    [0x00C3, 0x41], [0x00C4, 0x41], [0x00C5, 0x41], [0x00C6, 0x41], [0x00C7, 0x43],
    [0x00C8, 0x45], [0x00C9, 0x45], [0x00CA, 0x45], [0x00CB, 0x45], [0x00CC, 0x49],
    [0x00CD, 0x49], [0x00CE, 0x49], [0x00CF, 0x49], [0x00D0, 0x44], [0x00D1, 0x4E],
    [0x00D2, 0x4F], [0x00D3, 0x4F], [0x00D4, 0x4F], [0x00D5, 0x4F], [0x00D6, 0x4F],
    [0x00D8, 0x4F], [0x00D9, 0x55], [0x00DA, 0x55], [0x00DB, 0x55], [0x00DC, 0x55],
    [0x00DD, 0x59], [0x00DE, 0x54], [0x00DF, 0x73], [0x00E0, 0x61], [0x00E1, 0x61],
    [0x00E2, 0x61], [0x00E3, 0x61], [0x00E4, 0x61], [0x00E5, 0x61], [0x00E6, 0x61],
    [0x00E7, 0x63], [0x00E8, 0x65], [0x00E9, 0x65], [0x00EA, 0x65], [0x00EB, 0x65],
    [0x00EC, 0x69], [0x00ED, 0x69], [0x00EE, 0x69], [0x00EF, 0x69], [0x00F0, 0x64],
    [0x00F1, 0x6E], [0x00F2, 0x6F], [0x00F3, 0x6F], [0x00F4, 0x6F], [0x00F5, 0x6F],
    [0x00F6, 0x6F], [0x00F8, 0x6F], [0x00F9, 0x75], [0x00FA, 0x75], [0x00FB, 0x75],
    [0x00FC, 0x75], [0x00FD, 0x79], [0x00FE, 0x74], [0x00FF, 0x79], [0x3094, 0x83, 0x94],
    [0xF8F0, 0xA0], [0xF8F1, 0xFD], [0xF8F2, 0xFE], [0xF8F3, 0xFF],
  ];

  // Code page 932 bytes of each character, built once from the browser's decoder: for a
  // character with several codes the first, leaving out the NEC-selected IBM rows (0xED to
  // 0xEF), as Windows does.
  let encoding = null;
  function encodingTable() {
    if (encoding) return encoding;
    encoding = new Map();
    const decoder = new TextDecoder('shift_jis', {fatal: true});
    const add = (bytes) => {
      let text;
      try {
        text = decoder.decode(new Uint8Array(bytes));
      } catch (error) {
        return;  // no character there
      }
      const character = text.codePointAt(0);
      if (text.length === 1 && !encoding.has(character)) encoding.set(character, bytes);
    };
    for (let byte = 0xa1; byte <= 0xdf; ++byte) add([byte]);
    for (let lead = 0x81; lead <= 0xfc; ++lead) {
      if ((lead >= 0xa0 && lead < 0xe0) || (lead >= 0xed && lead <= 0xef)) continue;
      for (let trail = 0x40; trail <= 0xfc; ++trail) {
        if (trail !== 0x7f) add([lead, trail]);
      }
    }
    for (const [character, ...bytes] of windowsForms) encoding.set(character, bytes);
    return encoding;
  }

  // The bytes Windows converts one character into for an ANSI window, '?' where it has none.
  function cp932Of(character) {
    if (character < 0x80) return [character];
    return encodingTable().get(character) || [0x3f];
  }

  const controlCodes = {
    Enter: 10, Backspace: 127, Escape: 27, '[': 27, '@': 0, '\\': 28, ']': 29, '^': 30,
    '_': 31, ' ': 32,
  };

  // The character messages of a key press: none, one byte, or a double-byte character's two.
  function charactersOf(event) {
    const key = event.key;
    if (event.ctrlKey) {
      // Ctrl with a letter, one of @ [ \ ] ^ _, Enter or Backspace gives the control code
      // Windows' keyboard layouts give it; Ctrl with anything else, nothing.
      if (key.length === 1 && /[a-z]/i.test(key)) return [key.toUpperCase().charCodeAt(0) - 0x40];
      return key in controlCodes ? [controlCodes[key]] : [];
    }
    switch (key) {
      case 'Backspace': return [8];
      case 'Tab': return [9];
      case 'Enter': return [13];
      case 'Escape': return [27];
      default: break;
    }
    const character = key.codePointAt(0);
    if (character === undefined || String.fromCodePoint(character) !== key) return [];
    if (character >= 0x20 && character < 0x7f) return [character];
    // Delete and the other keys that stand for a control character make none.
    if (character < 0xa0) return [];
    return cp932Of(character);
  }

  page.keys = {virtualKey, charactersOf, cp932Of};
})();
