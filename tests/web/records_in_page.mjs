// The records screen in the page is the headless frame: the same history shown in headless
// Chromium and by keyfall-sim, and the canvas compared with the sim's frame pixel by pixel.
//
// node records_in_page.mjs --site TEST_SITE --chromium PATH --sim KEYFALL_SIM
//                          --date SHIPPED_DATE --words TEST_WORDS --history TEST_HISTORY
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {altKey, check, open, pixels, runInBrowser, sleep, testOptions} from './page_driver.mjs';

// The records screen of keyfall-sim as RGB rows from the top.
function simulatedFrame(sim, date, words, history) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'keyfall-web-records-'));
  try {
    fs.cpSync(date, path.join(folder, 'Date'), {
      recursive: true,
      filter: (source) => !['RankingDate.ini', 'History.txt'].includes(path.basename(source)),
    });
    fs.copyFileSync(words, path.join(folder, 'Date', 'Words.txt'));
    fs.copyFileSync(history, path.join(folder, 'Date', 'History.txt'));
    execFileSync(sim, [], {cwd: folder, input: 'menu 40012\nwait 10\nframe shot.bmp\n',
                           env: {...process.env, TZ: 'UTC'}});
    const bmp = fs.readFileSync(path.join(folder, 'shot.bmp'));
    const offset = bmp.readUInt32LE(10);
    const rows = [];
    for (let y = 0; y < 320; ++y) {
      const at = offset + (319 - y) * 640 * 3;
      const row = [];
      for (let x = 0; x < 640; ++x) {
        row.push(bmp[at + 3 * x + 2], bmp[at + 3 * x + 1], bmp[at + 3 * x]);
      }
      rows.push(row);
    }
    return rows;
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

const args = testOptions('sim', 'date', 'words', 'history');
const expected = simulatedFrame(args.sim, args.date, args.words, args.history);
await runInBrowser(args, async (browser, url) => {
  const page = await browser.newPage();
  await page.emulateTimezone('UTC');
  await page.setViewport({width: 720, height: 420, deviceScaleFactor: 1});
  await open(page, url);
  await altKey(page, 'KeyS');
  await page.keyboard.press('KeyK');
  await sleep(500);
  const shown = await pixels(page, 0, 0, 640, 320);
  let failed = 0;
  for (let y = 0; y < 320; ++y) {
    for (let x = 0; x < 640; ++x) {
      const i = (y * 640 + x) * 4;
      const e = expected[y].slice(3 * x, 3 * x + 3);
      if (shown[i] !== e[0] || shown[i + 1] !== e[1] || shown[i + 2] !== e[2]) {
        if (failed < 5) console.log(`pixel ${x},${y}: page ${shown.slice(i, i + 3)}, sim ${e}`);
        ++failed;
      }
    }
  }
  check(failed === 0, failed === 0 ? 'the records screen in the page is the headless frame'
                                    : `${failed} pixels differ from the headless frame`);
});
