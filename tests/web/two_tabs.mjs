// Two tabs of the page in one browser, each in a window of its own and in view, end their
// games at the same moment, 20 times, on a clock a hundred times as fast: after each round
// both tabs hold the table of every score so far (the best five) and a history record of every
// game, none lost to the other tab.
// Then a tab on the ranking screen shows a score a third tab has just entered, unreloaded.
//
// node two_tabs.mjs --site TEST_SITE --chromium PATH
import {check, checkNoConsoleErrors, fastClock, open, recordConsole, runInBrowser, sendLetters,
        sleep, testOptions, waitFor} from './page_driver.mjs';

const rate = 100;
const rounds = 20;
const start = 40001;
const rankingScreen = 40007;
// The test's word list has one word on Easy.
const letters = (count) => 'neko'.repeat(count).slice(0, count);
const command = (page, id) => page.evaluate((c) => keyfallPage.send(keyfallPage.events.command, c), id);

// The Easy table in the tab's copy of the ranking file, once no box is open (run in the page).
function easyTable() {
  if (keyfallPage.boxes.count() > 0) return null;
  let text = '';
  try {
    text = new TextDecoder().decode(Module.FS.readFile('/keyfall/Date/RankingDate.ini'));
  } catch (error) {
    return [];
  }
  const easy = /\[EASY\]([^[]*)/.exec(text);
  return easy ? [...easy[1].matchAll(/^[1-5]=(\d*)/gm)].map((m) => Number(m[1])) : [];
}

// The scores of the games in the tab's copy of the history file, highest first (run in the
// page).
function keptScores() {
  let text = '';
  try {
    text = new TextDecoder().decode(Module.FS.readFile('/keyfall/Date/History.txt'));
  } catch (error) {
    return [];
  }
  return [...text.matchAll(/^score (-?\d+)$/gm)].map((m) => Number(m[1])).sort((a, b) => b - a);
}

// A game of count letters: at once, one combo; or, broken, one letter and the rest after a
// pause. The same words either way, so both tabs' gauges run out together. Its score.
async function play(page, count, broken) {
  await waitFor(page, () => keyfallPage.screen.texts.length >= 5, undefined, 30000);
  if (broken) {
    await sendLetters(page, letters(1));
    await sleep(2000 / rate);  // 2 s of the game's clock
    await sendLetters(page, letters(count).slice(1));
  } else {
    await sendLetters(page, letters(count));
  }
  const handle = await waitFor(page, () => keyfallPage.boxes.texts()[0]?.text, undefined, 30000);
  const text = await handle.jsonValue();
  await page.evaluate(() => document.querySelector('dialog.box button').click());
  return Number(/:(-?\d+)/.exec(text)[1]);
}

async function newWindow(browser) {
  const session = await browser.target().createCDPSession();
  const {targetId} = await session.send('Target.createTarget', {url: 'about:blank', newWindow: true});
  const target = await browser.waitForTarget((t) => t._targetId === targetId);
  return target.page();
}

await runInBrowser(testOptions(), async (browser, url) => {
  const pages = [await browser.newPage(), await newWindow(browser)];
  const messages = pages.map(recordConsole);
  for (const page of pages) {
    await fastClock(page, rate, {unclamped: true});
    await open(page, url);
    await page.evaluate(`window.easyTable = ${easyTable}; window.keptScores = ${keptScores}`);
    await page.evaluate(() => {
      window.holding = () => JSON.stringify({table: easyTable(), history: keptScores()});
    });
  }
  const scores = [];
  let kept = true;
  for (let round = 0; round < rounds && kept; ++round) {
    // Each round's scores pass all before: the second tab's broken combo of one letter more
    // scores a little more than the first tab's whole combo of the round before.
    const count = 4 + round;
    await Promise.all(pages.map((page) => command(page, start)));
    const [first, second] = await Promise.all(pages.map((page, i) => play(page, count, i === 1)));
    scores.push(first, second);
    const all = [...scores].sort((a, b) => b - a);
    // Empty places read as 0.
    const best = [...all, 0, 0, 0, 0, 0].slice(0, 5);
    const expected = JSON.stringify({table: best, history: all});
    try {
      await Promise.all(pages.map((page) => waitFor(page, (e) => window.holding() === e,
                                                    expected, 10000)));
    } catch (error) {
      const held = await Promise.all(pages.map((page) => page.evaluate(() => window.holding())));
      check(false, `round ${round + 1}: both tabs hold ${expected} (${held.join(', ')})`);
      kept = false;
    }
  }
  const busy = await Promise.all(pages.map((page) => page.evaluate(() => Module.keyfallDataLock.busy)));
  check(kept, `${rounds} rounds of games ending together lose no score and no record ` +
              `(${scores.length} scores; a tab found the lock held ${busy[0] + busy[1]} times and waited)`);

  // The last game is played in a third tab on a clock ten times as fast: at a hundred times, a
  // busy machine's pause of a few milliseconds between two keys breaks the combo, and a score
  // cut short that way may not reach the table at all.
  // A window of its own: a tab opened in the other tab's window would hide that one.
  const last = await newWindow(browser);
  messages.push(recordConsole(last));
  await fastClock(last, 10, {unclamped: true});
  await open(last, url);
  await last.evaluate(`window.easyTable = ${easyTable}`);
  await command(pages[1], rankingScreen);
  await command(last, start);
  const score = await play(last, 40, false);
  // Where the score stands in the table its own tab wrote: a game the gauge cut short may not
  // be the best.
  const table = await waitFor(last, () => {
    const held = easyTable();
    return held && held.length > 0 ? held : null;
  }).then((handle) => handle.jsonValue());
  const place = table.indexOf(score) + 1;
  check(place > 0, `the last game's score ${score} is in its tab's table ${JSON.stringify(table)}`);
  let shown = place > 0;
  try {
    if (shown) {
      await waitFor(pages[1], (s) => keyfallPage.screen.texts.some((t) => t.text === s),
                    `${place}.${score}`, 30000);
    }
  } catch (error) {
    shown = false;
  }
  const seen = await pages[1].evaluate(() => JSON.stringify({
    texts: keyfallPage.screen.texts.map((t) => t.text), held: window.holding()}));
  check(shown, `the other tab's ranking screen shows the new score ${score} in place ${place} (${seen})`);
  checkNoConsoleErrors(messages.flat());
});
