// The site on a first visit and offline, in headless Chromium: the page's files have their
// content's hash in their names and go compressed, the whole font is not fetched for the
// shipped words, Chromium finds the page installable; then the network goes (the browser's
// emulation, and the server closes), the page reloads from the service worker's copies, a game
// is played to its end and its score is on the ranking screen after another offline reload.
//
// node offline.mjs --site TEST_SITE --chromium PATH
import {check, checkNoConsoleErrors, fastClock, open, recordConsole, resultBox, runInBrowser,
        sendLetters, startGame, testOptions, waitFor} from './page_driver.mjs';

async function firstVisit(page, session, url) {
  const responses = [];
  page.on('response', (response) => responses.push({
    url: response.url(), encoding: response.headers()['content-encoding'] || '',
  }));
  await open(page, url);
  await page.evaluate(() => navigator.serviceWorker.ready);

  const names = responses.map((r) => new URL(r.url).pathname.slice(1))
    .filter((name) => name && !name.startsWith('sw.js'));
  const fixed = new Set(['', 'index.html', 'favicon.ico', 'manifest.webmanifest']);
  const unstamped = names.filter((n) => !fixed.has(n) && !/\.[0-9a-f]{12}\.[a-z0-9]+$/.test(n));
  check(unstamped.length === 0, `every file but the page's fixed ones has a hashed name ` +
                                `(${unstamped.join(' ') || 'none without'})`);
  const plain = responses.filter((r) => /\.(wasm|data|js)$/.test(r.url) && r.encoding !== 'br');
  check(plain.length === 0, `the program, its data and scripts come compressed ` +
                            `(${plain.map((r) => r.url).join(' ') || 'all Brotli'})`);
  check(!names.some((n) => /^ipag\.[0-9a-f]{12}\.woff2$/.test(n)),
        'the shipped words need the font subset only');
  const {installabilityErrors} = await session.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0,
        `Chromium can install the page (${JSON.stringify(installabilityErrors)})`);
}

async function offlineGame(browser, page, session, server, url) {
  const offline = {offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1};
  await session.send('Network.enable');
  await session.send('Network.emulateNetworkConditions', offline);
  const worker = await browser.waitForTarget((t) => t.type() === 'service_worker');
  const workerSession = await worker.createCDPSession();
  await workerSession.send('Network.enable');
  await workerSession.send('Network.emulateNetworkConditions', offline);
  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));

  await page.reload();
  await page.waitForFunction(() => document.body.dataset.keyfall === 'running', {timeout: 30000});
  check(true, 'offline, the page reloads and the game starts');
  await startGame(page);
  // Close enough together for a combo, which the score counts: at once, in the page. At ten
  // times the clock the combo's 800 ms are 80 ms of real time, which keys sent one by one from
  // here can exceed on a busy machine, leaving the score at 0.
  await sendLetters(page, 'nekoneko');
  const {text} = await resultBox(page, 60000);
  const score = /:(-?\d+)/.exec(text)[1];
  check(Number(score) > 0, `offline, a game is played to its result box (${JSON.stringify(text)})`);
  await page.keyboard.press('Enter');
  await waitFor(page, () => keyfallPage.boxes.count() === 0);
  await waitFor(page, () => Module.keyfallFiles.saves > 0);
  // The history and the ranking are written one after the other, each under the lock.
  const busy = await page.evaluate(() => Module.keyfallDataLock.busy);
  check(busy === 0, `a lone tab never finds the data lock held by itself (${busy} times)`);

  await page.reload();
  await page.waitForFunction(() => document.body.dataset.keyfall === 'running', {timeout: 30000});
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyS');
  await page.keyboard.up('Alt');
  await page.keyboard.press('KeyR');
  await waitFor(page, (s) => keyfallPage.screen.texts.some((t) => t.text === s), `1.${score}`);
  check(true, `after another offline reload the ranking shows the score ${score}`);
}

await runInBrowser(testOptions(), async (browser, url, server) => {
  const page = await browser.newPage();
  const messages = recordConsole(page);
  await fastClock(page, 10);
  const session = await page.createCDPSession();
  await firstVisit(page, session, url);
  await offlineGame(browser, page, session, server, url);
  checkNoConsoleErrors(messages);
});
