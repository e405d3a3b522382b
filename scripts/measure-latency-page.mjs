// The page's half of scripts/measure-latency: the data folder given is packaged as the page's
// own, a game is started in headless Chromium, and keys are dispatched through the DevTools
// protocol (Input.dispatchKeyEvent), each after a random pause. In the page, once the keydown
// has been handled, the typed line's canvas pixels are compared with those before the key,
// and again at every animation frame until they differ. Prints one JSON record: the ms from
// each keydown to the first animation frame that shows the key, and how many keys were on
// the canvas when their keydown had been handled.
//
// node scripts/measure-latency-page.mjs --site BUILD_WEB --date DATE_FOLDER --keys N
//                                       --word neko --region X,Y,WIDTH,HEIGHT [--chromium PATH]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {altKey, launch, open, options, serve, sleep, waitFor} from '../tests/web/page_driver.mjs';

const args = {chromium: 'chromium', ...options(process.argv.slice(2))};
const keys = Number(args.keys);
const region = args.region.split(',').map(Number);

// The data folder as the page's package, served in front of the build's own.
function packageData(date) {
  const overlay = fs.mkdtempSync(path.join(os.tmpdir(), 'keyfall-latency-site-'));
  const root = execFileSync('em-config', ['EMSCRIPTEN_ROOT'], {encoding: 'utf8'}).trim();
  execFileSync('python3', [path.join(root, 'tools', 'file_packager.py'),
                           path.join(overlay, 'keyfall.data'), '--preload',
                           `${date}@/keyfall/Date`,
                           `--js-output=${path.join(overlay, 'keyfall-data.js')}`],
               {stdio: 'ignore'});
  // The site names its files by their content: the package takes the names the page asks for.
  const html = fs.readFileSync(path.join(path.resolve(args.site), 'index.html'), 'utf8');
  const {files} = JSON.parse(html.match(/window\.keyfallSite = (.*?);<\/script>/)[1]);
  for (const name of ['keyfall.data', 'keyfall-data.js']) {
    fs.renameSync(path.join(overlay, name), path.join(overlay, files[name]));
  }
  return overlay;
}

// In the page: a keydown listener that runs after the game's own (which listens in the
// capture phase), and the frames after it.
function watchKeys([x, y, width, height]) {
  const context = document.getElementById('screen').getContext('2d');
  const read = () => context.getImageData(x, y, width, height).data;
  const same = (a, b) => a.every((value, i) => value === b[i]);
  const watch = {before: null, results: []};
  window.latencyWatch = watch;
  watch.arm = () => {
    watch.before = read();
  };
  window.addEventListener('keydown', (event) => {
    const before = watch.before;
    if (!before) return;
    watch.before = null;
    const inHandler = !same(read(), before);
    const frame = () => requestAnimationFrame(() => {
      const ms = performance.now() - event.timeStamp;
      if (!same(read(), before)) {
        watch.results.push({inHandler, ms});
      } else if (ms > 500) {
        watch.results.push({inHandler, ms: null});
      } else {
        frame();
      }
    });
    frame();
  });
}

async function measure() {
  const overlay = packageData(path.resolve(args.date));
  const {server, url} = await serve(path.resolve(args.site), overlay);
  const {browser, close} = await launch(args.chromium);
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 720, height: 420, deviceScaleFactor: 1});
    await open(page, url);
    const session = await page.createCDPSession();
    await altKey(page, 'KeyG');
    await page.keyboard.press('KeyS');
    await sleep(4000);  // the countdown
    await page.evaluate(watchKeys, region);
    for (let i = 0; i < keys; ++i) {
      await sleep(40 + Math.random() * 100);
      await page.evaluate(() => window.latencyWatch.arm());
      const letter = args.word[i % args.word.length];
      const code = letter.toUpperCase().charCodeAt(0);
      const key = {key: letter, code: `Key${letter.toUpperCase()}`, windowsVirtualKeyCode: code,
                   nativeVirtualKeyCode: code};
      await session.send('Input.dispatchKeyEvent',
                         {type: 'keyDown', text: letter, unmodifiedText: letter, ...key});
      await session.send('Input.dispatchKeyEvent', {type: 'keyUp', ...key});
      await waitFor(page, (count) => window.latencyWatch.results.length >= count, i + 1);
    }
    const results = await page.evaluate(() => window.latencyWatch.results);
    const shown = results.filter((r) => r.ms !== null);
    return {
      latencies: shown.map((r) => r.ms),
      inHandler: results.filter((r) => r.inHandler).length,
      missed: results.length - shown.length,
      measured: 'the first animation frame that shows the key',
    };
  } finally {
    await close();
    server.close();
    fs.rmSync(overlay, {recursive: true, force: true});
  }
}

process.stdout.write(JSON.stringify(await measure()) + '\n');
