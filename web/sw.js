// Keeps this build of the site for playing offline. Every file of the build is served from one
// cache named after the build (web.sh writes the name and the list in); a newer build installs
// itself beside it on a later visit and then removes the older caches. Only caches named "vor-..."
// are ever removed: the tables in IndexedDB are not the worker's business.
'use strict';
const cacheName = 'vor-@VERSION@';
// Relative to this script; './' is the page (every visit of it, whatever its query).
const files = @FILES@;
const at = name => new URL(name, self.registration.scope).href;

self.addEventListener('install', event => {
  event.waitUntil((async () => {
    const cache = await caches.open(cacheName);
    // What the page has already handed over (on its first visit) is not fetched again.
    for (const name of files)
      if (!(await cache.match(at(name)))) await cache.add(new Request(at(name), { cache: 'no-cache' }));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', event => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if (name.startsWith('vor-') && name !== cacheName) await caches.delete(name);
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', event => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  const key = request.mode === 'navigate' ? at('./') : url.origin + url.pathname;
  event.respondWith(caches.open(cacheName).then(cache => cache.match(key))
    .then(kept => kept || fetch(request)));
});
