#!/usr/bin/env node
// Lays out the page's site: every file that can change is copied under a name holding a hash of
// its content, so a browser never mixes a new file with a cached old one; index.html (with the
// table of those names), the service worker and the manifest keep fixed names.
//
// node make_site.mjs --out DIR --page PAGE_DIR --scripts a.js,b.js --styles keyfall.css
//   --program KEYFALL_JS --wasm KEYFALL_WASM --data KEYFALL_DATA --data-loader KEYFALL_DATA_JS
//   --font SUBSET_WOFF2 --font-text SUBSET_TEXT --full-font FULL_WOFF2
//   --music DATA_PATH=OGG[,...] --icons ICON_192,ICON_512 --favicon ICO --licence TXT
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

const args = {};
const argv = process.argv.slice(2);
for (let i = 0; i < argv.length; i += 2) {
  if (!argv[i].startsWith('--') || i + 1 >= argv.length) throw new Error(`bad option ${argv[i]}`);
  args[argv[i].slice(2)] = argv[i + 1];
}
for (const name of ['out', 'page', 'scripts', 'styles', 'program', 'wasm', 'data', 'data-loader',
                    'font', 'font-text', 'full-font', 'icons', 'favicon', 'licence']) {
  if (!args[name]) throw new Error(`make_site: --${name} is needed`);
}
const list = (value) => (value ? value.split(',').filter(Boolean) : []);
const out = args.out;
fs.mkdirSync(out, {recursive: true});

const hashedName = /^(.+)\.[0-9a-f]{12}(\.[A-Za-z0-9]+)$/;
const written = new Set();

// Copies the file as NAME.HASH.EXT (name as the page knows it) and returns the new name.
function stamp(source, name = path.basename(source), bytes = fs.readFileSync(source)) {
  const hash = crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 12);
  const ext = path.extname(name);
  const stamped = `${name.slice(0, name.length - ext.length)}.${hash}${ext}`;
  const target = path.join(out, stamped);
  if (!fs.existsSync(target)) fs.writeFileSync(target, bytes);
  written.add(stamped);
  return stamped;
}

function copyAs(source, name) {
  fs.copyFileSync(source, path.join(out, name));
  written.add(name);
  return name;
}

// Names the page's scripts ask for, and what they are now.
const files = {};
for (const script of list(args.scripts)) files[script] = stamp(path.join(args.page, script));
for (const style of list(args.styles)) files[style] = stamp(path.join(args.page, style));
files['keyfall.js'] = stamp(args.program, 'keyfall.js');
files['keyfall.wasm'] = stamp(args.wasm, 'keyfall.wasm');
files['keyfall.data'] = stamp(args.data, 'keyfall.data');
files['keyfall-data.js'] = stamp(args['data-loader'], 'keyfall-data.js');
const [icon192, icon512] = list(args.icons).map((icon) => stamp(icon));
const favicon = copyAs(args.favicon, 'favicon.ico');
copyAs(args.licence, 'ipag-LICENSE.txt');

// The music of the data folder, converted: its data path (lower case) to its file.
const music = {};
for (const pair of list(args.music)) {
  const [dataPath, file] = pair.split('=');
  music[dataPath.toLowerCase()] = stamp(file);
}

const font = {
  subset: stamp(args.font, 'ipag-subset.woff2'),
  full: stamp(args['full-font'], 'ipag.woff2'),
  characters: fs.readFileSync(args['font-text'], 'utf8').replace(/\n$/, ''),
};

const site = {files, music, font};
// Inline in a script element: nothing in it may close the element.
const siteJson = JSON.stringify(site).replace(/</g, '\\u003c');

const manifest = {
  name: 'Keyfall',
  short_name: 'Keyfall',
  description: 'ローマ字で打つタイピングゲーム (a typing game for Japanese words in romaji)',
  id: './',
  start_url: './',
  scope: './',
  display: 'standalone',
  background_color: '#d8d8d8',
  theme_color: '#f4f4f4',
  lang: 'ja',
  icons: [
    {src: icon192, sizes: '192x192', type: 'image/png'},
    {src: icon512, sizes: '512x512', type: 'image/png'},
  ],
};
fs.writeFileSync(path.join(out, 'manifest.webmanifest'), JSON.stringify(manifest, null, 2) + '\n');
written.add('manifest.webmanifest');

let html = fs.readFileSync(path.join(args.page, 'index.html'), 'utf8');
html = html.replace(/(src|href)="([^"]+)"/g, (whole, attribute, name) =>
  files[name] ? `${attribute}="${files[name]}"` : whole);
if (!html.includes('<!-- keyfall-site -->')) throw new Error('index.html has no <!-- keyfall-site -->');
html = html.replace('<!-- keyfall-site -->', `<script>window.keyfallSite = ${siteJson};</script>`);
fs.writeFileSync(path.join(out, 'index.html'), html);
written.add('index.html');

// What the service worker keeps for offline play: everything but the full font, which only a
// word list beyond the subset asks for (it is kept once fetched).
const offline = ['./', 'manifest.webmanifest', favicon, icon192, icon512, font.subset,
                 ...Object.values(files), ...Object.values(music)];
const version = crypto.createHash('sha256').update(offline.join('\n') + html).digest('hex')
  .slice(0, 12);
let worker = fs.readFileSync(path.join(args.page, 'sw.js'), 'utf8');
worker = worker.replace('/* keyfall-offline */', JSON.stringify({version, files: offline}));
fs.writeFileSync(path.join(out, 'sw.js'), worker);
written.add('sw.js');

// Older stamped copies of the same files would only pile up.
const current = new Set([...written].map((name) => name.replace(hashedName, '$1$2')));
for (const name of fs.readdirSync(out)) {
  const match = hashedName.exec(name);
  if (match && !written.has(name) && current.has(match[1] + match[2])) {
    fs.rmSync(path.join(out, name));
  }
}
