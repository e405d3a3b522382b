#!/usr/bin/env node
// Serves the web build's static files on 127.0.0.1: `scripts/serve-web.mjs [FOLDER] [PORT]`
// prints the address and serves until stopped. Text, the program and the data package go
// compressed (Brotli or gzip, as the browser accepts); files whose names hold their content's
// hash may be kept by the browser for good, the rest it asks for again each time. The tests
// and the bench use startServer, whose server counts the bytes it has sent.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import zlib from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.webmanifest': 'application/manifest+json',
  '.woff2': 'font/woff2',
  '.ttf': 'font/ttf',
  '.ogg': 'audio/ogg',
  '.ico': 'image/x-icon',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
};
// Already compressed: WOFF2, Ogg and PNG gain nothing.
const compressible = new Set(['.html', '.js', '.mjs', '.css', '.wasm', '.data', '.webmanifest',
                              '.ttf', '.ico', '.txt']);
const stampedName = /\.[0-9a-f]{12}\.[A-Za-z0-9]+$/;

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
      const stat = fs.statSync(file);
      if (stat.isFile()) return {file, stat};
    } catch (error) {
      // not in this root
    }
  }
  return null;
}

// Compressed once per file version and encoding; the site is a few megabytes at most.
const compressed = new Map();
function compressedBody(found, encoding) {
  const key = `${found.file}\0${found.stat.mtimeMs}\0${found.stat.size}\0${encoding}`;
  let body = compressed.get(key);
  if (!body) {
    const bytes = fs.readFileSync(found.file);
    body = encoding === 'br' ?
      zlib.brotliCompressSync(bytes, {params: {[zlib.constants.BROTLI_PARAM_QUALITY]: 9,
                                               [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length}}) :
      zlib.gzipSync(bytes, {level: 9});
    for (const old of compressed.keys()) {
      if (old.startsWith(`${found.file}\0`) && old.endsWith(`\0${encoding}`)) compressed.delete(old);
    }
    compressed.set(key, body);
  }
  return body;
}

function encodingFor(request, ext) {
  if (!compressible.has(ext)) return null;
  const accepted = String(request.headers['accept-encoding'] || '');
  if (/\bbr\b/.test(accepted)) return 'br';
  if (/\bgzip\b/.test(accepted)) return 'gzip';
  return null;
}

function respond(request, response, roots) {
  const found = request.method === 'GET' || request.method === 'HEAD' ?
    find(roots, request.url) : null;
  if (!found) {
    response.writeHead(404, {'Content-Type': 'text/plain'});
    response.end('not found\n');
    return;
  }
  const ext = path.extname(found.file).toLowerCase();
  const headers = {
    'Content-Type': types[ext] || 'application/octet-stream',
    'Cache-Control': stampedName.test(found.file) ? 'public, max-age=31536000, immutable' :
      'no-cache',
    'Vary': 'Accept-Encoding',
  };
  const encoding = encodingFor(request, ext);
  let body = null;
  if (encoding) {
    body = compressedBody(found, encoding);
    headers['Content-Encoding'] = encoding;
    headers['Content-Length'] = body.length;
  } else {
    headers['Content-Length'] = found.stat.size;
  }
  response.writeHead(200, headers);
  if (request.method === 'HEAD') {
    response.end();
  } else if (body) {
    response.end(body);
  } else {
    fs.createReadStream(found.file).pipe(response);
  }
}

export function startServer({roots, port = 0, host = '127.0.0.1'}) {
  const server = http.createServer((request, response) => {
    try {
      respond(request, response, roots);
    } catch (error) {
      response.writeHead(500, {'Content-Type': 'text/plain'});
      response.end(`${error.message}\n`);
    }
  });
  // Every byte that went over the wire, headers included: what a first visit costs.
  const sockets = new Set();
  let closedBytes = 0;
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => {
      closedBytes += socket.bytesWritten;
      sockets.delete(socket);
    });
  });
  server.bytesSent = () => [...sockets].reduce((sum, s) => sum + s.bytesWritten, closedBytes);
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
