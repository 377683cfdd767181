// The page's service worker: it keeps every file of the page, so that once
// loaded the page works without a network (lab networks fail). The build
// names the files and the version; a new version replaces the old files.
declare const PAGE_FILES: string[];
declare const PAGE_VERSION: string;

const sw = self as unknown as ServiceWorkerGlobalScope;
const cacheName = `dorum-${PAGE_VERSION}`;

sw.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(cacheName)
      .then((cache) => cache.addAll(PAGE_FILES))
      .then(() => sw.skipWaiting()),
  );
});

sw.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((name) => name.startsWith('dorum-') && name !== cacheName).map((name) => caches.delete(name))))
      .then(() => sw.clients.claim()),
  );
});

// The page's own files from the cache, the network only for what it lacks.
sw.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== sw.location.origin) return;
  event.respondWith(
    caches.open(cacheName).then(async (cache) => (await cache.match(request, { ignoreSearch: true })) ?? fetch(request)),
  );
});
