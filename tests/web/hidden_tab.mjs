// A game through a hidden and a frozen page, in headless Chromium, on a clock five times as
// fast: while the page is hidden (another tab in front) or frozen in the background
// (Page.setWebLifecycleState) the game shows that it is paused, its clock stands and its music
// is suspended; keys are not heard; back in view it counts down and goes on with the word and
// letters it had. The gauge runs out after exactly its 120.2 s of the game's clock (and the
// ticks the browser made it drop), pauses left out: no free time, no time lost, and the game
// ends with its result as any other.
//
// node hidden_tab.mjs --site TEST_SITE --chromium PATH
import {check, checkNoConsoleErrors, fastClock, open, recordConsole, resultBox, runInBrowser,
        sleep, startGame, testOptions, typeLetters, waitFor} from './page_driver.mjs';

const rate = 5;
const gaugeSeconds = 120.2;  // 531.0 drained by 0.4425 every 100 ms
const state = (page) => page.evaluate(() => ({
  clock: keyfallPage.clock.now(),
  paused: document.body.dataset.paused || '',
  overlay: !document.getElementById('pause').hidden,
  audio: keyfallPage.sound.context ? keyfallPage.sound.context.state : 'none',
  texts: keyfallPage.screen.texts.map((t) => t.text),
}));

// While away: paused, visibly, the clock standing, the music suspended, keys not heard.
async function away(page, how) {
  const before = await state(page);
  check(before.overlay && before.paused.startsWith('一時停止中'),
        `${how}: the game shows that it is paused (${before.paused})`);
  await page.keyboard.press('KeyK');
  await sleep(1500);
  const after = await state(page);
  check(after.clock === before.clock, `${how}: the game's clock stands (${before.clock} -> ` +
                                      `${after.clock})`);
  check(after.audio === 'suspended', `${how}: the music is suspended (${after.audio})`);
  return before;
}

// Back in view: a countdown, during which the clock still stands and keys are not heard.
async function back(page, how, was) {
  await waitFor(page, () => document.body.dataset.paused === '3' ||
                            document.body.dataset.paused === '2');
  await page.keyboard.press('KeyK');
  const counting = await state(page);
  check(counting.clock === was.clock, `${how}: back in view it counts down before the clock ` +
                                      'goes on');
  await waitFor(page, () => document.body.dataset.paused === '', undefined, 5000);
  await sleep(300);
  const going = await state(page);
  check(going.clock > was.clock && going.audio === 'running' &&
        going.texts.join() === was.texts.join(),
        `${how}: then the game goes on as it was, music and all (${going.texts.join(' ')})`);
}

async function play(browser, url) {
  const page = await browser.newPage();
  const messages = recordConsole(page);
  await fastClock(page, rate);
  await open(page, url);
  await startGame(page);
  const begun = await page.evaluate(() => keyfallPage.clock.now());
  await typeLetters(page, 'ne', 20);
  await waitFor(page, () => keyfallPage.screen.texts.some((t) => t.text === 'ne'));

  const other = await browser.newPage();
  await other.bringToFront();
  const hidden = await away(page, 'hidden');
  await page.bringToFront();
  await back(page, 'hidden', hidden);

  // Chromium freezes tabs in the background: this one goes there first.
  await other.bringToFront();
  const session = await page.createCDPSession();
  await session.send('Page.setWebLifecycleState', {state: 'frozen'});
  await sleep(1500);
  await session.send('Page.setWebLifecycleState', {state: 'active'});
  const frozen = await away(page, 'frozen');
  await page.bringToFront();
  await back(page, 'frozen', frozen);

  await typeLetters(page, 'ko', 20);
  await waitFor(page, () => keyfallPage.screen.texts.some((t) => t.text === 'タイム回復まで9'));
  check(true, 'the word begun before the pauses is finished after them');
  const {text, at} = await resultBox(page, 60000);
  const played = (at - begun) / 1000;
  // On this clock a period is 20 ms of the real one: on a busy machine the browser now and
  // then wakes the game over a period late, and the gauge's timer drops ticks as WM_TIMER
  // does. The game then lasts that much longer; anything else is time given or taken.
  const slipped = (await page.evaluate(() => keyfallPage.stats.slipped[100] || 0)) / 1000;
  // A frame of the real clock is 83 ms of this one, the polling 250 ms. A pause that let the
  // clock run would come back as one slip of its length (7.5 s and more): not a busy machine.
  check(Math.abs(played - slipped - gaugeSeconds) < 0.5 && slipped < 6,
        `the gauge runs out after ${played.toFixed(2)} s of the game's clock, ` +
        `${slipped.toFixed(2)} s of it dropped ticks (${gaugeSeconds} s, pauses left out)`);
  check(/:\d+/.test(text), `the game ends with its result (${JSON.stringify(text)})`);
  checkNoConsoleErrors(messages);
}

await runInBrowser(testOptions(), async (browser, url) => {
  await play(browser, url);
});
