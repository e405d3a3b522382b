// The page's costs in headless Chromium: the median time of a game-screen paint, and the
// page's share of a core (Chrome's TaskDuration metric over wall time) idle before a game,
// in play typing at 6 keys a second, and in play without typing; beside them the native
// figures of the Release build (bench/report.py's paint of the game screen), when
// build-bench has been built (`make bench`).
//
// node bench/web_bench.mjs [--site build-web] [--chromium chromium] [--native build-bench]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {altKey, launch, open, options, serve, sleep, waitFor} from '../tests/web/page_driver.mjs';

const args = {site: 'build-web', chromium: 'chromium', native: 'build-bench',
              ...options(process.argv.slice(2))};
const window = 8000;  // ms of each measurement

async function cpuShare(session, during) {
  const metric = async () => {
    const {metrics} = await session.send('Performance.getMetrics');
    const value = (name) => metrics.find((m) => m.name === name).value;
    return {task: value('TaskDuration'), time: value('Timestamp')};
  };
  const before = await metric();
  await during();
  const after = await metric();
  return (after.task - before.task) / (after.time - before.time);
}

// The next letter of the romaji, as the screen shows the word and what has been typed.
async function typeForMs(page, ms) {
  const end = Date.now() + ms;
  while (Date.now() < end) {
    const next = await page.evaluate(() => {
      // The romaji and the typed text are the frame's lower-case texts, in that order.
      const texts = keyfallPage.screen.texts.filter((t) => /^[a-z]+$/.test(t.text));
      const romaji = texts[0] ? texts[0].text : '';
      const typed = texts[1] ? texts[1].text : '';
      return romaji.startsWith(typed) ? romaji[typed.length] || 'a' : romaji[0] || 'a';
    });
    await page.keyboard.press(/[a-z]/.test(next) ? `Key${next.toUpperCase()}` : 'KeyA');
    await sleep(1000 / 6);
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[sorted.length >> 1] : NaN;
}

function nativePaintUs() {
  const executable = path.join(args.native, 'bench', 'keyfall_bench');
  if (!fs.existsSync(executable)) return null;
  const output = execFileSync(executable, ['--benchmark_filter=paintGameScreen/headless_in_play',
                                           '--benchmark_format=json'], {encoding: 'utf8'});
  const run = JSON.parse(output).benchmarks[0];
  const scale = {ns: 1e-3, us: 1, ms: 1e3}[run.time_unit];
  return run.real_time * scale;
}

const {server, url} = await serve(args.site);
const {browser, close} = await launch(args.chromium);
try {
  const page = await browser.newPage();
  await page.setViewport({width: 720, height: 420});
  await open(page, url);
  const session = await page.createCDPSession();
  await session.send('Performance.enable');

  const idle = await cpuShare(session, () => sleep(window));
  await altKey(page, 'KeyG');
  await page.keyboard.press('KeyS');
  await waitFor(page, () => keyfallPage.screen.texts.length >= 3, undefined, 10000);
  await page.evaluate(() => { keyfallPage.stats.paints.length = 0; });
  const typing = await cpuShare(session, () => typeForMs(page, window));
  const paints = await page.evaluate(() => keyfallPage.stats.paints.slice());
  const still = await cpuShare(session, () => sleep(window));

  const percent = (share) => `${(share * 100).toFixed(1)} %`;
  console.log('web (headless Chromium, this machine)');
  console.log(`  game-screen paint, median of ${paints.length}: ${median(paints).toFixed(2)} ms` +
              ' (goal <= 2 ms)');
  console.log(`  page CPU idle before a game: ${percent(idle)}`);
  console.log(`  page CPU in play, typing 6 keys/s: ${percent(typing)}`);
  console.log(`  page CPU in play, not typing: ${percent(still)}`);
  const wasm = fs.statSync(path.join(args.site, 'keyfall.wasm')).size;
  const js = fs.statSync(path.join(args.site, 'keyfall.js')).size;
  console.log(`  keyfall.wasm + keyfall.js: ${((wasm + js) / 1024).toFixed(0)} KiB (goal <= 1024 KiB)`);
  const native = nativePaintUs();
  console.log('native (Release, Google Benchmark)');
  console.log(native === null ?
    `  no ${args.native}/bench/keyfall_bench: make bench builds it` :
    `  game-screen paint on the headless backend: ${(native / 1000).toFixed(3)} ms`);
  console.log('  the desktop program\'s CPU shares: scripts/measure-cpu');
} finally {
  await close();
  server.close();
}
