// The page's costs in headless Chromium, each on a fresh profile:
// - a first visit: the bytes that went over the wire (compressed, the service worker's copies
//   included) and the time from the navigation to the first game frame, median of 3;
// - the share of a core that all of Chromium's processes use (from /proc), in play typing
//   5 keys a second, in play not typing, and idle after a game, 3 runs each; the median game-
//   screen paint; beside them the native paint of the Release build when build-bench has been
//   built (`make bench`);
// - the browser's own floor for that work: a bare page that plays a looping sound, ticks a
//   timer every 100 ms, changes its canvas as often as the game's frames changed while it was
//   not typed at, and draws each key it is sent the same way, so that what the game adds shows;
//   and that page doing nothing, then with its ticks and frames alone.
//
// node bench/web_bench.mjs [--site build-web] [--chromium chromium] [--native build-bench]
//                          [--seconds 10] [--runs 3]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {altKey, launch, open, options, serve, sleep, waitFor} from '../tests/web/page_driver.mjs';

const args = {site: 'build-web', chromium: 'chromium', native: 'build-bench', seconds: '10',
              runs: '3', ...options(process.argv.slice(2))};
const seconds = Number(args.seconds);
const runs = Number(args.runs);
const clockTicks = 100;  // USER_HZ of /proc/<pid>/stat on Linux
const goals = {typing: 3, still: 1.5, idle: 0.5, bytes: 1.5e6, firstFrame: 1000};

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[sorted.length >> 1] : NaN;
}

// The CPU seconds of a process and all of its descendants, from /proc.
function treeCpuSeconds(root) {
  const parents = new Map();
  const cpu = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const fields = fs.readFileSync(`/proc/${name}/stat`, 'utf8').split(') ')[1].split(' ');
      parents.set(Number(name), Number(fields[1]));
      cpu.set(Number(name), (Number(fields[11]) + Number(fields[12])) / clockTicks);
    } catch (error) {
      // a process that has just ended
    }
  }
  const inTree = (pid) => {
    for (let p = pid; p > 1; p = parents.get(p)) if (p === root) return true;
    return false;
  };
  let total = 0;
  for (const [pid, seconds_] of cpu) if (inTree(pid)) total += seconds_;
  return total;
}

async function cpuShare(browser, during) {
  const pid = browser.process().pid;
  const start = performance.now();
  const before = treeCpuSeconds(pid);
  await during();
  const after = treeCpuSeconds(pid);
  return (after - before) / ((performance.now() - start) / 1000) * 100;
}

// The next letter of the romaji, as the screen shows the word and what has been typed.
function nextLetter() {
  // The romaji and the typed text are the frame's lower-case texts, in that order.
  const texts = keyfallPage.screen.texts.filter((t) => /^[a-z]+$/.test(t.text));
  const romaji = texts[0] ? texts[0].text : '';
  const typed = texts[1] ? texts[1].text : '';
  return romaji.startsWith(typed) ? romaji[typed.length] || 'a' : romaji[0] || 'a';
}

async function typeForMs(page, ms, keysPerSecond, letterOf = nextLetter) {
  const end = Date.now() + ms;
  let next = Date.now();
  while (Date.now() < end) {
    const letter = await page.evaluate(letterOf);
    await page.keyboard.press(/[a-z]/.test(letter) ? `Key${letter.toUpperCase()}` : 'KeyA');
    next += 1000 / keysPerSecond;
    await sleep(Math.max(0, next - Date.now()));
  }
}

async function firstVisit() {
  const {server, url} = await serve(args.site);
  const {browser, close} = await launch(args.chromium);
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 720, height: 420});
    await open(page, url);
    const firstFrame = await waitFor(page, () => keyfallPage.stats.firstFrame)
      .then((handle) => handle.jsonValue());
    // Everything a first visit fetches: the page, the music, the service worker's copies.
    await page.evaluate(() => navigator.serviceWorker.ready);
    let bytes = -1;
    while (bytes !== server.bytesSent()) {
      bytes = server.bytesSent();
      await sleep(500);
    }
    return {firstFrame, bytes};
  } finally {
    await close();
    server.close();
  }
}

async function cpuRun() {
  const {server, url} = await serve(args.site);
  const {browser, close} = await launch(args.chromium);
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 720, height: 420});
    await open(page, url);
    await altKey(page, 'KeyG');
    await page.keyboard.press('KeyS');
    await waitFor(page, () => keyfallPage.screen.texts.length >= 3, undefined, 10000);
    const gameStart = Date.now();
    await page.evaluate(() => { keyfallPage.stats.paints.length = 0; });
    const typing = await cpuShare(browser, () => typeForMs(page, seconds * 1000, 5));
    const paints = await page.evaluate(() => keyfallPage.stats.paints.slice());
    await page.evaluate(() => { keyfallPage.stats.paints.length = 0; });
    const still = await cpuShare(browser, () => sleep(seconds * 1000));
    const stillFrames = await page.evaluate(() => keyfallPage.stats.paints.length) / seconds;
    // The gauge runs out about 120 s after the game began.
    await waitFor(page, () => keyfallPage.boxes.count() > 0, undefined,
                  Math.max(10000, 135000 - (Date.now() - gameStart)));
    await page.keyboard.press('Enter');
    await waitFor(page, () => keyfallPage.boxes.count() === 0);
    await sleep(1000);
    const idle = await cpuShare(browser, () => sleep(seconds * 1000));
    return {typing, still, idle, paint: median(paints), stillFrames};
  } finally {
    await close();
    server.close();
  }
}

const floorPage = `<!doctype html><body style="margin:0;padding:24px;background:#d8d8d8">
<canvas id="c" width="640" height="320" style="display:block;image-rendering:pixelated"></canvas>
<script>
const context = document.getElementById('c').getContext('2d');
let ticks = 0;
let keys = 0;
window.begin = (framesPerSecond) => {
  setInterval(() => {
    // The gauge: a column a frame, as often as the game's frames came.
    if (Math.floor(++ticks * framesPerSecond / 10) === Math.floor((ticks - 1) * framesPerSecond / 10)) return;
    requestAnimationFrame(() => context.fillRect(20 + ticks % 600, 300, 1, 10));
  }, 100);
};
document.addEventListener('keydown', (event) => {
  event.preventDefault();
  if (!window.sound) {
    const audio = new AudioContext({latencyHint: 1});
    const buffer = audio.createBuffer(2, audio.sampleRate * 4, audio.sampleRate);
    for (let i = 0; i < buffer.length; ++i) buffer.getChannelData(0)[i] = Math.sin(i / 20) / 50;
    window.sound = audio.createBufferSource();
    sound.buffer = buffer;
    sound.loop = true;
    sound.connect(audio.destination);
    sound.start();
  }
  context.clearRect(200, 196, 240, 44);
  context.font = '30px monospace';
  context.fillText('neko'.slice(0, ++keys % 5), 290, 230);
});
</script>`;

// The same keys, frames, ticks and sound on the bare page: the browser's own share. Measured
// first on the page doing nothing, then with its ticks and frames alone, so that what a canvas
// change a frame costs the browser by itself shows; then the sound starts from a key, as the
// game's does.
async function floorRun(framesPerSecond) {
  const {browser, close} = await launch(args.chromium);
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 720, height: 420});
    await page.setContent(floorPage);
    // Long enough for the browser's own start-up work to be over.
    await sleep(8000);
    const nothing = await cpuShare(browser, () => sleep(seconds * 1000));
    await page.evaluate((rate) => window.begin(rate), framesPerSecond);
    await sleep(1000);
    const frames = await cpuShare(browser, () => sleep(seconds * 1000));
    await page.keyboard.press('KeyA');
    await sleep(1000);
    const typing = await cpuShare(browser, () => typeForMs(page, seconds * 1000, 5, () => 'a'));
    const still = await cpuShare(browser, () => sleep(seconds * 1000));
    return {typing, still, nothing, frames};
  } finally {
    await close();
  }
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

const visits = [];
for (let i = 0; i < runs; ++i) visits.push(await firstVisit());
const cpu = [];
for (let i = 0; i < runs; ++i) cpu.push(await cpuRun());
const framesPerSecond = median(cpu.map((r) => r.stillFrames));
const floors = [];
for (let i = 0; i < runs; ++i) floors.push(await floorRun(framesPerSecond));

const percent = (value) => `${value.toFixed(2)} %`;
const verdict = (value, goal) => (value <= goal ? 'ok' : 'OVER');
console.log(`web (headless Chromium, this machine: ${os.cpus().length} cores, ` +
            `load ${os.loadavg()[0].toFixed(2)})`);
const bytes = median(visits.map((v) => v.bytes));
const firstFrame = median(visits.map((v) => v.firstFrame));
console.log(`  first visit over the wire, median of ${runs}: ${(bytes / 1e6).toFixed(3)} MB ` +
            `(goal <= 1.5 MB) ${verdict(bytes, goals.bytes)}`);
console.log(`  first game frame from the navigation, median of ${runs}: ${firstFrame.toFixed(0)} ms ` +
            `(goal <= 1000 ms) ${verdict(firstFrame, goals.firstFrame)}  ` +
            `[${visits.map((v) => v.firstFrame.toFixed(0)).join(', ')}]`);
console.log(`  CPU of all Chromium processes, % of one core, ${runs} runs of ${seconds} s:`);
const rows = [['in play, typing 5 keys/s', 'typing'], ['in play, not typing', 'still'],
              ['idle after a game', 'idle']];
for (const [label, key] of rows) {
  const values = cpu.map((run) => run[key]);
  console.log(`    ${label.padEnd(26)} ${values.map(percent).join('  ')}   ` +
              `(goal <= ${goals[key]} %) ${verdict(Math.max(...values), goals[key])}`);
}
console.log(`  the browser's floor: a bare page with the same sound, keys, 100 ms ticks and ` +
            `${framesPerSecond.toFixed(1)} frames/s when not typed at:`);
const floorRows = [...rows.slice(0, 2), ['its ticks and frames alone', 'frames'],
                   ['the page doing nothing', 'nothing']];
for (const [label, key] of floorRows) {
  console.log(`    ${label.padEnd(26)} ${floors.map((run) => percent(run[key])).join('  ')}`);
}
console.log(`  game-screen paint, median: ${median(cpu.map((r) => r.paint)).toFixed(2)} ms`);
const wasm = fs.statSync(path.join(args.site, 'backends', 'web', 'keyfall.wasm')).size;
const js = fs.statSync(path.join(args.site, 'backends', 'web', 'keyfall.js')).size;
console.log(`  keyfall.wasm + keyfall.js: ${((wasm + js) / 1024).toFixed(0)} KiB uncompressed`);
const native = nativePaintUs();
console.log('native (Release, Google Benchmark)');
console.log(native === null ?
  `  no ${args.native}/bench/keyfall_bench: make bench builds it` :
  `  game-screen paint on the headless backend: ${(native / 1000).toFixed(3)} ms`);
console.log('  the desktop program\'s CPU shares: scripts/measure-cpu');
