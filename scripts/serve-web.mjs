#!/usr/bin/env node
// Serves the web build's static files on 127.0.0.1: `scripts/serve-web.mjs [FOLDER] [PORT]`
// prints the address and serves until stopped. The tests use startServer with an overlay
// folder whose files are served in place of the build's (their own data package).
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.ttf': 'font/ttf',
  '.ico': 'image/x-icon',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
};

// The file of the first root that has it; never a file outside the roots.
function find(roots, urlPath) {
  let name;
  try {
    name = decodeURIComponent(urlPath.split('?')[0]);
  } catch (error) {
    return null;
  }
  if (name.endsWith('/')) name += 'index.html';
  for (const root of roots) {
    const file = path.resolve(root, '.' + path.posix.normalize('/' + name));
    if (!file.startsWith(path.resolve(root) + path.sep)) continue;
    try {
      if (fs.statSync(file).isFile()) return file;
    } catch (error) {
      // not in this root
    }
  }
  return null;
}

export function startServer({roots, port = 0, host = '127.0.0.1'}) {
  const server = http.createServer((request, response) => {
    const file = request.method === 'GET' || request.method === 'HEAD' ?
      find(roots, request.url) : null;
    if (!file) {
      response.writeHead(404, {'Content-Type': 'text/plain'});
      response.end('not found\n');
      return;
    }
    const type = types[path.extname(file).toLowerCase()] || 'application/octet-stream';
    response.writeHead(200, {'Content-Type': type, 'Cache-Control': 'no-cache'});
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const folder = path.resolve(process.argv[2] || 'build-web');
  const port = Number(process.argv[3] || 8080);
  if (!fs.existsSync(path.join(folder, 'index.html'))) {
    console.error(`serve-web: ${folder}/index.html is missing (make web builds it)`);
    process.exit(1);
  }
  const server = await startServer({roots: [folder], port});
  console.log(`serve-web: Keyfall is at http://127.0.0.1:${server.address().port}/ ` +
              `(serving ${folder}; Ctrl+C stops)`);
}
