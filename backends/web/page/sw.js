// The page's service worker: after one visit Keyfall loads and plays with the network gone.
// The site's files carry their content's hash in their names, so a cached copy is always right;
// only the page itself is asked of the network first, so that a new version is seen at once.
'use strict';

const offline = /* keyfall-offline */;
const cacheName = 'keyfall-' + offline.version;
const stampedName = /\.[0-9a-f]{12}\.[A-Za-z0-9]+$/;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(offline.files)));
});

// Older versions' copies go once this one is in charge; an open page of an older version
// fetches what it still lacks from the network.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith('keyfall-') && name !== cacheName)
      .map((name) => caches.delete(name)))));
});

async function fromNetworkFirst(request) {
  const cache = await caches.open(cacheName);
  try {
    const response = await fetch(request);
    if (response.ok) await cache.put('./', response.clone());
    return response;
  } catch (error) {
    const cached = await cache.match('./');
    if (cached) return cached;
    throw error;
  }
}

async function fromCacheFirst(request) {
  const cache = await caches.open(cacheName);
  const cached = await cache.match(request);
  if (cached) return cached;
  const response = await fetch(request);
  // The full font, fetched for a word list beyond the subset, is kept from then on.
  if (response.ok && stampedName.test(new URL(request.url).pathname)) {
    await cache.put(request, response.clone());
  }
  return response;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  const scope = new URL(self.registration.scope);
  if (request.mode === 'navigate' && (url.pathname === scope.pathname ||
                                      url.pathname === scope.pathname + 'index.html')) {
    event.respondWith(fromNetworkFirst(request));
  } else {
    event.respondWith(fromCacheFirst(request));
  }
});
