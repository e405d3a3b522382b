// A whole game in the page, in headless Chromium, played with the keyboard on a word list of
// one word per difficulty: the page loads, the menu starts the game, the countdown shows and
// the music loops, an IME composition is not judged, typed romaji is judged on the canvas,
// an item key works, the gauge runs out and the result box reports exactly what keyfall-sim
// reports for the same keys; after a reload the ranking screen shows the score (IndexedDB),
// and nothing was logged as an error. Then the scaling at other device pixel ratios, and a
// browser that refuses IndexedDB: one console line says so and the game still runs.
//
// node play_in_page.mjs --site TEST_SITE --chromium PATH --sim KEYFALL_SIM
//                       --date SHIPPED_DATE --words TEST_WORDS --out SCREENSHOT_FOLDER
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {altKey, check, checkNoConsoleErrors, darkPixels, differentPixels, open, pixels,
        recordConsole, runInBrowser, screenTexts, sleep, testOptions,
        waitFor} from './page_driver.mjs';

const keyGap = 150;
// n e k o, then "ne" and the Bomb, a miss (x) inside a word, and one more word.
const plan = ['n', 'e', 'k', 'o', 'n', 'e', 'F2', 'n', 'e', 'x', 'k', 'o', 'n', 'e', 'k', 'o'];

// What keyfall-sim reports for the same keys, on the same data, on its virtual clock.
function simulatedResult(sim, date, words) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'keyfall-web-sim-'));
  try {
    fs.cpSync(date, path.join(folder, 'Date'), {
      recursive: true,
      filter: (source) => path.basename(source) !== 'RankingDate.ini',
    });
    fs.copyFileSync(words, path.join(folder, 'Date', 'Words.txt'));
    const script = ['time 1000', 'clock 100000', 'menu 40001', 'wait 3100'];
    for (const key of plan) {
      script.push(key.length > 1 ? `key ${key}` : `type ${key}`, `wait ${keyGap}`);
    }
    script.push('wait 200000');
    const output = execFileSync(sim, [], {cwd: folder, input: script.join('\n') + '\n',
                                          encoding: 'utf8'});
    const line = output.split('\n').find((l) => l.startsWith('messagebox caption='));
    if (!line) throw new Error(`keyfall-sim showed no result box:\n${output}`);
    const match = /^messagebox caption=(.*?) text=(.*)$/.exec(line);
    return {caption: match[1], text: match[2].replace(/\\n/g, '\n')};
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

async function pressKey(page, key) {
  await page.keyboard.press(key.length > 1 ? key : `Key${key.toUpperCase()}`);
}

async function playAndReload(browser, url, out, expected) {
  const page = await browser.newPage();
  const messages = recordConsole(page);
  await page.setViewport({width: 720, height: 420, deviceScaleFactor: 1});
  await open(page, url);
  await page.evaluate(() => { keyfallPage.stats.checking = true; });

  // The page as it loads.
  check(await page.title() === 'Keyfall', 'the page title is "Keyfall"');
  const page0 = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    return {
      size: [canvas.width, canvas.height, canvas.clientWidth, canvas.clientHeight],
      rendering: getComputedStyle(canvas).imageRendering,
      tops: [...document.querySelectorAll('#menubar .top')].map((b) => b.textContent),
      items: [...document.querySelectorAll('#menubar .item')].map((i) => i.textContent),
      easyChecked: document.querySelector('[data-command="40009"]').classList.contains('checked'),
      font: document.fonts.check('30px "Keyfall IPAGothic"'),
      widths: ['a', '\u3042', 'a\u3042a', '1', '\u30ab'].map((s) => keyfallPage.text.width(30, s)),
    };
  });
  check(page0.size.join() === '640,320,640,320', `a 640x320 canvas shown 1:1 (${page0.size})`);
  check(page0.rendering === 'pixelated', 'the canvas is scaled without smoothing');
  check(page0.tops.join('|') === 'ゲーム(G)|画面(S)', `the menu bar's labels (${page0.tops})`);
  check(page0.items.join('|') ===
        '難易度(M)Easy(E)Normal(N)Hard(H)|Easy(E)|Normal(N)|Hard(H)|スタート(S)|' +
        '苦手かなの練習(P)|終了(E)|ランキング(R)|前回のリプレイ(P)|ベストのリプレイ(B)|記録(K)|' +
        'ゲーム画面(G)', `the menu items (${page0.items.join('|')})`);
  check(page0.easyChecked, 'Easy is checked');
  check(page0.font, 'the web font is loaded');
  check(page0.widths.join() === '15,30,60,15,30',
        `30 px text: 15 px a single-byte, 30 px a double-byte character (${page0.widths})`);
  await page.screenshot({path: path.join(out, 'idle.png')});

  // The keys' messages, as the desktop backends translate the same keys (the GTK backend's
  // table): the character bytes and the virtual-key code.
  const keyCases = [
    ['letter', {key: 'a'}, [0x61], 0x41], ['shifted letter', {key: 'A', shiftKey: true}, [0x41], 0x41],
    ['space', {key: ' '}, [0x20], 0x20], ['Enter', {key: 'Enter'}, [13], 0x0d],
    ['Backspace', {key: 'Backspace'}, [8], 0x08], ['Tab', {key: 'Tab'}, [9], 0x09],
    ['Escape', {key: 'Escape'}, [27], 0x1b], ['Delete', {key: 'Delete'}, [], 0x2e],
    ['F1', {key: 'F1'}, [], 0x70], ['F6', {key: 'F6'}, [], 0x75], ['F10', {key: 'F10'}, [], 0x79],
    ['Shift alone', {key: 'Shift', shiftKey: true}, [], 0x10],
    ['Ctrl+A', {key: 'a', ctrlKey: true}, [1], 0x41],
    ['Ctrl+Shift+Z', {key: 'Z', ctrlKey: true, shiftKey: true}, [0x1a], 0x5a],
    ['Ctrl+Enter', {key: 'Enter', ctrlKey: true}, [10], 0x0d],
    ['Ctrl+Backspace', {key: 'Backspace', ctrlKey: true}, [0x7f], 0x08],
    ['Ctrl+[', {key: '[', ctrlKey: true}, [0x1b], 0], ['Ctrl+@', {key: '@', ctrlKey: true}, [0], 0],
    ['Ctrl+\\', {key: '\\', ctrlKey: true}, [0x1c], 0],
    ['Ctrl+]', {key: ']', ctrlKey: true}, [0x1d], 0], ['Ctrl+^', {key: '^', ctrlKey: true}, [0x1e], 0],
    ['Ctrl+_', {key: '_', ctrlKey: true}, [0x1f], 0],
    ['Ctrl+Escape', {key: 'Escape', ctrlKey: true}, [0x1b], 0x1b],
    ['Ctrl+Space', {key: ' ', ctrlKey: true}, [0x20], 0x20],
    ['Ctrl+Tab', {key: 'Tab', ctrlKey: true}, [], 0x09], ['Ctrl+2', {key: '2', ctrlKey: true}, [], 0x32],
    ['Ctrl+;', {key: ';', ctrlKey: true}, [], 0], ['Ctrl+e acute', {key: '\u00e9', ctrlKey: true}, [], 0],
    ['katakana a', {key: '\u30a2'}, [0x83, 0x41], 0], ['hiragana a', {key: '\u3042'}, [0x82, 0xa0], 0],
    ['half-width katakana a', {key: '\uff71'}, [0xb1], 0],
    ['multiplication sign', {key: '\u00d7'}, [0x81, 0x7e], 0],
    ['e acute', {key: '\u00e9'}, [0x65], 0], ['sharp s', {key: '\u00df'}, [0x73], 0],
    ['yen sign', {key: '\u00a5'}, [0x5c], 0], ['hiragana vu', {key: '\u3094'}, [0x83, 0x94], 0],
    ['em dash', {key: '\u2014'}, [0x3f], 0], ['wave dash', {key: '\u301c'}, [0x3f], 0],
    ['euro sign', {key: '\u20ac'}, [0x3f], 0], ['emoji beyond the BMP', {key: '\u{1f600}'}, [0x3f], 0],
    ['dead key', {key: 'Dead'}, [], 0],
  ];
  const translated = await page.evaluate((cases) => cases.map(([, init]) => {
    const event = new KeyboardEvent('keydown', init);
    return [keyfallPage.keys.charactersOf(event), keyfallPage.keys.virtualKey(event)];
  }), keyCases);
  const wrong = keyCases.filter(([, , bytes, key], i) =>
    translated[i][0].join() !== bytes.join() || translated[i][1] !== key)
    .map(([name], i) => name);
  check(wrong.length === 0, `keys give the desktop backends' messages (wrong: ${wrong})`);

  // Alt+G, S: Start from the menu with the keyboard.
  await altKey(page, 'KeyG');
  const menuOpen = await page.evaluate(() => !document.querySelector('.popup').hidden);
  check(menuOpen, 'Alt+G opens the game menu');
  await page.keyboard.press('KeyS');
  await waitFor(page, () => keyfallPage.screen.texts.some((t) => t.text === '3' &&
                                                            t.x === 320 && t.y === 120));
  check(await darkPixels(page, 320, 120, 16, 30) > 20, 'the countdown digit is on the canvas');
  const music = await waitFor(page, () => {
    const source = keyfallPage.sound.source;
    return source && source.buffer ? {loop: source.loop, seconds: source.buffer.duration} : null;
  }).then((handle) => handle.jsonValue());
  check(music.loop && music.seconds > 1, `the music loops from Start (${JSON.stringify(music)})`);
  await page.screenshot({path: path.join(out, 'countdown.png')});

  await waitFor(page, () => keyfallPage.screen.texts.some((t) => t.text === 'neko'));
  // During a game Start and the difficulties are greyed when the menu opens.
  await altKey(page, 'KeyG');
  const greyed = await page.evaluate(() =>
    ['40001', '40009', '40004', '40005', '40002'].map((c) =>
      document.querySelector(`[data-command="${c}"]`).classList.contains('greyed')));
  check(greyed.join() === 'true,true,true,true,false',
        `the menu opened in play greys Start and the difficulties (${greyed})`);
  await page.keyboard.press('Escape');
  const menuClosed = await page.evaluate(() => !keyfallPage.menu.active);
  check(menuClosed, 'Escape closes the menu');

  // An input method composing, as Chromium reports it on a page without a text field: the key
  // as Process (229), the composition and its committed text. None of it is judged (the result
  // below equals keyfall-sim's, which never saw it), nothing is inserted anywhere, the game goes
  // on, and the page asks for half-width input.
  const session = await page.createCDPSession();
  const before = await page.evaluate(() => document.body.innerText.split('\u3093').length);
  await session.send('Input.dispatchKeyEvent', {type: 'keyDown', key: 'Process', code: 'KeyN',
                                                windowsVirtualKeyCode: 229});
  await session.send('Input.imeSetComposition', {text: '\u3093', selectionStart: 1,
                                                 selectionEnd: 1});
  await session.send('Input.dispatchKeyEvent', {type: 'keyUp', key: 'Process', code: 'KeyN',
                                                windowsVirtualKeyCode: 229});
  await session.send('Input.insertText', {text: '\u3093'});
  await session.send('Input.imeSetComposition', {text: '', selectionStart: 0, selectionEnd: 0});
  await sleep(100);
  const composing = await page.evaluate((shown) => ({
    hint: !document.getElementById('ime-hint').hidden,
    typed: keyfallPage.screen.texts.some((t) => t.text === 'n' || t.text.includes('\u3093')),
    inserted: document.body.innerText.split('\u3093').length - shown,
    fields: document.querySelectorAll('input, textarea, [contenteditable]').length,
  }), before);
  check(composing.hint && !composing.typed && composing.inserted === 0 && composing.fields === 0,
        `a composition is not judged, inserts nothing, and the hint shows ` +
        `(${JSON.stringify(composing)})`);

  const typedBefore = await darkPixels(page, 270, 151, 100, 30);
  const bombBefore = await pixels(page, 264, 216, 32, 32);
  for (const [index, key] of plan.entries()) {
    await pressKey(page, key);
    await sleep(keyGap);
    if (index === 1) {
      await waitFor(page, () => keyfallPage.screen.texts.some((t) => t.text === 'ne'));
      const typedAfter = await darkPixels(page, 270, 151, 100, 30);
      check(typedAfter > typedBefore + 20,
            `typed romaji is drawn in its balloon (${typedBefore} -> ${typedAfter} dark pixels)`);
      check(await darkPixels(page, 290, 49, 60, 30) > 40, 'the word is drawn in its balloon');
      await page.screenshot({path: path.join(out, 'typing.png')});
    }
    if (key === 'F2') {
      await sleep(100);
      const bombAfter = await pixels(page, 264, 216, 32, 32);
      check(differentPixels(bombBefore, bombAfter) > 100, 'F2 uses the Bomb: its icon goes');
    }
  }

  // The gauge runs out: the result box.
  const box = await waitFor(page, () => {
    const boxes = keyfallPage.boxes.texts();
    return boxes.length ? boxes[0] : null;
  }, undefined, 160000).then((handle) => handle.jsonValue());
  console.log(`result box: ${JSON.stringify(box)}; keyfall-sim: ${JSON.stringify(expected)}`);
  check(box.caption === expected.caption && box.text === expected.text,
        'the result box says exactly what keyfall-sim says for the same keys');
  check(await page.evaluate(() => keyfallPage.sound.source === null), 'the music stops at game over');
  const drawn = await page.evaluate(() => ({checked: keyfallPage.stats.checked,
                                            mismatches: keyfallPage.stats.mismatches}));
  check(drawn.checked > 100 && drawn.mismatches.length === 0,
        `each of the ${drawn.checked} frames shown so far is on the screen as it would be drawn ` +
        `whole (first differences: ${JSON.stringify(drawn.mismatches)})`);
  await page.screenshot({path: path.join(out, 'result.png')});
  await page.keyboard.press('Enter');
  await waitFor(page, () => keyfallPage.boxes.count() === 0);
  check(true, 'Enter dismisses the result box');
  await waitFor(page, () => Module.keyfallFiles.saves > 0).catch((error) => {
    console.log(`console: ${JSON.stringify(messages)}`);
    throw error;
  });

  // A reload: the ranking screen shows the score kept in IndexedDB.
  const score = /:(-?\d+)/.exec(box.text)[1];
  await page.reload();
  await page.waitForFunction(() => document.body.dataset.keyfall === 'running');
  await altKey(page, 'KeyS');
  await page.keyboard.press('KeyR');
  await waitFor(page, (s) => keyfallPage.screen.texts.some((t) => t.text === s), `1.${score}`)
    .catch(async (error) => {
      console.log(`shown: ${JSON.stringify(await screenTexts(page))}`);
      throw error;
    });
  check(true, `after a reload the ranking screen shows the score ${score} at rank 1`);
  await page.screenshot({path: path.join(out, 'ranking.png')});

  const errors = messages.filter((m) => ['error', 'pageerror', 'requestfailed'].includes(m.type));
  check(errors.length === 0, `no console errors (${JSON.stringify(errors)})`);
  await page.close();
}

// The canvas is scaled by the largest whole number the device pixel ratio holds.
async function scaling(browser, url) {
  for (const [ratio, width] of [[1.5, 427], [2, 640], [3, 640]]) {
    const page = await browser.newPage();
    await page.setViewport({width: 720, height: 420, deviceScaleFactor: ratio});
    await open(page, url);
    const shown = await page.evaluate(() => Math.round(
      document.getElementById('screen').getBoundingClientRect().width));
    check(shown === width, `at a device pixel ratio of ${ratio} the canvas is ${width} CSS px ` +
                           `wide (${shown})`);
    await page.close();
  }
}

// A browser that refuses IndexedDB (as some private windows do).
async function withoutIndexedDB(browser, url) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const messages = recordConsole(page);
  await page.evaluateOnNewDocument(() => {
    IDBFactory.prototype.open = () => {
      throw new DOMException('refused for this test', 'SecurityError');
    };
  });
  await open(page, url);
  const said = messages.filter((m) => m.text.includes('IndexedDB'));
  check(said.length === 1 && ['warn', 'warning'].includes(said[0].type),
        `without IndexedDB one console line says so (${JSON.stringify(said)})`);
  checkNoConsoleErrors(messages, '... and the game starts without errors');
  await context.close();
}

const args = testOptions('sim', 'date', 'words', 'out');
if (!fs.existsSync(args.sim)) {
  console.error(`play_in_page: ${args.sim} is missing: build keyfall-sim first ` +
                '(cmake --build --preset normal --target keyfall-sim)');
  process.exit(1);
}
fs.mkdirSync(args.out, {recursive: true});
const expected = simulatedResult(args.sim, args.date, args.words);
await runInBrowser(args, async (browser, url) => {
  await playAndReload(browser, url, args.out, expected);
  await scaling(browser, url);
  await withoutIndexedDB(browser, url);
});
