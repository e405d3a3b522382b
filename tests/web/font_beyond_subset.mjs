// A word list with characters beyond the font subset, in headless Chromium: the page fetches the
// whole font before the game hears the player, and the word is drawn with it, glyph for glyph
// as the whole font draws it (never a box for a missing glyph, nor another face).
//
// node font_beyond_subset.mjs --site RARE_WORDS_SITE --chromium PATH
import {check, checkNoConsoleErrors, fastClock, open, recordConsole, runInBrowser, startGame,
        testOptions} from './page_driver.mjs';

await runInBrowser(testOptions(), async (browser, url) => {
  const page = await browser.newPage();
  const messages = recordConsole(page);
  await fastClock(page, 10);
  await open(page, url);
  await startGame(page);
  const word = '\u6ab8\u6aac';  // 檸檬, in the test's Easy section and not in the subset
  const result = await page.evaluate(async (w) => {
    const shown = keyfallPage.screen.texts.find((t) => t.text === w);
    // The same text drawn by the whole font under a name of its own, beside the page's face.
    const reference = new FontFace('Whole IPAGothic', `url(${keyfallSite.font.full})`);
    document.fonts.add(await reference.load());
    const draw = (family) => {
      const context = document.createElement('canvas').getContext('2d');
      context.canvas.width = 80;
      context.canvas.height = 40;
      context.font = `30px "${family}"`;
      context.fillText(w, 5, 30);
      return context.getImageData(0, 0, 80, 40).data;
    };
    const page_ = draw(keyfallPage.fontFamily);
    const whole = draw('Whole IPAGothic');
    let differing = 0;
    let inked = 0;
    for (let i = 0; i < page_.length; i += 4) {
      if (page_[i + 3] !== whole[i + 3]) ++differing;
      if (whole[i + 3] > 128) ++inked;
    }
    return {shown: Boolean(shown), full: keyfallPage.fonts.full && keyfallPage.fonts.full.status,
            missing: keyfallPage.fonts.missing(w).length, differing, inked};
  }, word);
  check(result.missing === 2, 'the word\'s characters are not in the subset');
  check(result.full === 'loaded', `the page loaded the whole font (${result.full})`);
  check(result.shown, `the word ${word} is on the screen`);
  check(result.inked > 100 && result.differing === 0,
        `the page's face draws it as the whole font does (${result.differing} of ` +
        `${result.inked} inked pixels differ)`);
  checkNoConsoleErrors(messages);
});
