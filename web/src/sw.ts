// The page's service worker: it keeps every file of the page, so that once
// loaded the page works without a network (lab networks fail). The build
// names the files and the version; a new version replaces the old files.
declare const PAGE_FILES: string[];
declare const PAGE_VERSION: string;

const sw = self as unknown as ServiceWorkerGlobalScope;
const cacheName = `dorum-${PAGE_VERSION}`;
// The course's files outlive a version of the page: they are the teacher's.
const courseCache = 'dorum-kurs';
const courseFolder = new URL('kurs/', sw.registration.scope).pathname;

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
      .then((names) => Promise.all(names.filter((name) => name.startsWith('dorum-') && name !== cacheName && name !== courseCache).map((name) => caches.delete(name))))
      .then(() => sw.clients.claim()),
  );
});

// The course from the network, so that a teacher's new task reaches a
// returning student; the copy fetched last when the network fails. A file
// never fetched is a network error, which the page tells.
async function courseFile(request: Request): Promise<Response> {
  const cache = await caches.open(courseCache);
  try {
    const response = await fetch(request, { cache: 'no-store' });
    if (response.ok) await cache.put(request, response.clone());
    return response;
  } catch (error) {
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) return kept;
    throw error;
  }
}

// The page's own files from the cache, the network only for what it lacks.
sw.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== sw.location.origin) return;
  if (url.pathname.startsWith(courseFolder)) {
    event.respondWith(courseFile(request));
    return;
  }
  event.respondWith(
    caches.open(cacheName).then(async (cache) => (await cache.match(request, { ignoreSearch: true })) ?? fetch(request)),
  );
});
