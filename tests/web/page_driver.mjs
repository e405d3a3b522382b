// What the page tests and the web bench share: the server, headless Chromium with a fresh
// profile, and the ways to read what the page shows.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import puppeteer from 'puppeteer-core';

import {startServer} from '../../scripts/serve-web.mjs';

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Options of the form --name value.
export function options(argv) {
  const found = {};
  for (let i = 0; i < argv.length; i += 2) {
    if (!argv[i].startsWith('--') || i + 1 >= argv.length) throw new Error(`bad option ${argv[i]}`);
    found[argv[i].slice(2)] = argv[i + 1];
  }
  return found;
}

// The checks of a page test, each printed as ok or FAILED.
export const failures = [];
export function check(condition, what) {
  console.log(`${condition ? 'ok' : 'FAILED'}: ${what}`);
  if (!condition) failures.push(what);
}

// The errors among recorded console messages: a page that plays well reports none.
export function checkNoConsoleErrors(messages, what = 'no console errors') {
  const errors = messages.filter((m) => ['error', 'pageerror'].includes(m.type));
  check(errors.length === 0, `${what} (${JSON.stringify(errors)})`);
}

// A page test's options: --site and --chromium, and the others it names; each must be given.
export function testOptions(...others) {
  const args = options(process.argv.slice(2));
  for (const name of ['site', 'chromium', ...others]) {
    if (!args[name]) throw new Error(`--${name} is needed`);
  }
  return args;
}

// Serves the site and runs body(browser, url, server) in a fresh Chromium; what it throws is
// a failed check. Both are then closed, and the process ends with the checks' verdict.
export async function runInBrowser(args, body) {
  const {server, url} = await serve(args.site);
  const {browser, close} = await launch(args.chromium);
  try {
    await body(browser, url, server);
  } catch (error) {
    check(false, String(error.stack || error));
  } finally {
    await close();
    server.close();
  }
  console.log(failures.length ? `${failures.length} checks failed` : 'every check passed');
  process.exit(failures.length ? 1 : 0);
}

// The build folder served, with the overlay's files (a data package of its own) in front.
export async function serve(site, overlay) {
  const roots = overlay ? [overlay, site] : [site];
  const server = await startServer({roots});
  return {server, url: `http://127.0.0.1:${server.address().port}/`};
}

export async function launch(chromium) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'keyfall-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const close = async () => {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return {browser, close};
}

// Every console message and page error of the page, kept for the checks.
export function recordConsole(page) {
  const messages = [];
  page.on('console', (message) => messages.push({type: message.type(), text: message.text()}));
  page.on('pageerror', (error) => messages.push({type: 'pageerror', text: error.message}));
  page.on('requestfailed', (request) => messages.push({
    type: 'requestfailed', text: `${request.url()} ${request.failure()?.errorText}`,
  }));
  return messages;
}

// The page's clocks run rate times as fast (its timers' waits shrink alike), so that a test
// sees a whole game in seconds; the frames and the network keep their pace. Unclamped, waits
// that the browser would stretch to 4 ms (timers set from timers) start from a message
// instead, so that a game can run a hundred times as fast.
export async function fastClock(page, rate, {unclamped = false} = {}) {
  await page.evaluateOnNewDocument((r, unclamped) => {
    const realNow = performance.now.bind(performance);
    const start = realNow();
    performance.now = () => start + (realNow() - start) * r;
    const realSetTimeout = window.setTimeout.bind(window);
    const realClearTimeout = window.clearTimeout.bind(window);
    if (!unclamped) {
      window.setTimeout = (handler, ms, ...rest) => realSetTimeout(handler, (ms || 0) / r, ...rest);
      return;
    }
    const hops = new Map();
    let next = 0;
    const channel = new MessageChannel();
    channel.port1.onmessage = (event) => {
      const hop = hops.get(event.data);
      if (hop) hop.timer = realSetTimeout(() => hops.delete(event.data) && hop.run(), hop.ms);
    };
    window.setTimeout = (handler, ms, ...rest) => {
      const scaled = (ms || 0) / r;
      if (scaled >= 4) return realSetTimeout(handler, scaled, ...rest);
      const id = -++next;
      hops.set(id, {ms: scaled, run: () => handler(...rest), timer: 0});
      channel.port2.postMessage(id);
      return id;
    };
    window.clearTimeout = (id) => {
      const hop = hops.get(id);
      if (!hop) return realClearTimeout(id);
      hops.delete(id);
      return realClearTimeout(hop.timer);
    };
  }, rate, unclamped);
}

// Start from the menu with the keyboard; resolves once the game shows its first word.
export async function startGame(page) {
  await altKey(page, 'KeyG');
  await page.keyboard.press('KeyS');
  await waitFor(page, () => keyfallPage.screen.texts.length >= 5, undefined, 30000);
}

// The text of the result box once the gauge has run out, and the game's clock then.
export async function resultBox(page, timeout) {
  // The game's clock is read in the page when the box is seen: the way back adds nothing.
  const handle = await waitFor(page, () => {
    const boxes = keyfallPage.boxes.texts();
    return boxes.length && {text: boxes[0].text, at: keyfallPage.clock.now()};
  }, undefined, timeout);
  return handle.jsonValue();
}

// Letters sent as characters inside the page all at once: no key waits on the driver, so a
// clock made faster for the test keeps them within one combo.
export async function sendLetters(page, letters) {
  await page.evaluate((text) => {
    for (const c of text) keyfallPage.send(keyfallPage.events.character, c.charCodeAt(0));
  }, letters);
}

export async function typeLetters(page, letters, gapMs = 60) {
  for (const letter of letters) {
    await page.keyboard.press(`Key${letter.toUpperCase()}`);
    await sleep(gapMs);
  }
}

export async function open(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.keyfall === 'running',
                             {timeout: 30000});
}

// Alt and a letter: the menu bar's mnemonic.
export async function altKey(page, code) {
  await page.keyboard.down('Alt');
  await page.keyboard.press(code);
  await page.keyboard.up('Alt');
}

export async function waitFor(page, fn, arg, timeout = 10000) {
  return page.waitForFunction(fn, {timeout, polling: 50}, arg);
}

// The texts of the frame on the screen now.
export const screenTexts = (page) => page.evaluate(() => keyfallPage.screen.texts.map((t) => t.text));

// A rectangle of the screen's pixels (frame coordinates, y from the top) as RGBA bytes.
export async function pixels(page, x, y, width, height) {
  return page.evaluate((r) => {
    const context = document.getElementById('screen').getContext('2d');
    return Array.from(context.getImageData(r.x, r.y, r.width, r.height).data);
  }, {x, y, width, height});
}

// How many pixels of the rectangle are near black: drawn text.
export async function darkPixels(page, x, y, width, height) {
  const data = await pixels(page, x, y, width, height);
  let count = 0;
  for (let i = 0; i < data.length; i += 4) {
    if (data[i] < 90 && data[i + 1] < 90 && data[i + 2] < 90) ++count;
  }
  return count;
}

export function differentPixels(a, b) {
  let count = 0;
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++count;
  }
  return count;
}
