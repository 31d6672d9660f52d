// Keeps the page for offline play. The build fills in its version (made from the files' contents)
// and the list of files. The build's own files carry versions of their contents in their
// addresses (the page asks for index.js?v=..., and so on), so a page of one build never gets a
// file of another out of any cache, and a page fetched anew from the server loads its own build.
'use strict';
const VERSION = '@VERSION@';
const CACHE = 'deadacre-' + VERSION;
const FILES = [@FILES@];

// The page has just fetched these itself (the worker is registered once the game has loaded):
// they are taken from the browser's HTTP cache, not downloaded a second time. Only a server that
// forbids storing them costs a second download.
async function fromThisVisit(file) {
    const response = await fetch(file, { cache: 'force-cache' });
    if (!response.ok) throw new Error(`${file}: ${response.status}`);
    return response;
}

// The page kept for offline starts must be this build's, or it would ask for files of another:
// the HTTP cache's copy if it is, else the server's.
async function pageOfThisBuild() {
    for (const mode of ['force-cache', 'no-cache']) {
        const response = await fetch('./', { cache: mode });
        if (response.ok && (await response.clone().text()).includes(VERSION)) return response;
    }
    throw new Error('the server has the page of another build');
}

// A new build takes over as soon as its cache is complete: a page already playing has every file
// it needs loaded, and its game goes on; it is told a new version is ready, which its next reload
// (or "Play again") starts.
self.addEventListener('install', (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(CACHE);
        await Promise.all(FILES.map(async (file) => cache.put(file, await fromThisVisit(file))));
        await cache.put('./', await pageOfThisBuild());
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', (event) => {
    event.waitUntil((async () => {
        const names = await caches.keys();
        await Promise.all(names.filter((name) => name.startsWith('deadacre-') && name !== CACHE)
            .map((name) => caches.delete(name)));
        await self.clients.claim();
        const pages = await self.clients.matchAll({ type: 'window', includeUncontrolled: true });
        for (const page of pages) page.postMessage({ version: VERSION });
    })());
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET') return;
    if (request.mode === 'navigate') {
        // The page from the server whenever it answers, checked past the HTTP cache, so that a
        // reload starts the newest build; offline, the page of the build this worker keeps.
        event.respondWith(fetch(request.url, { cache: 'no-cache', credentials: 'same-origin' })
            .catch(() => caches.open(CACHE).then((cache) => cache.match('./')))
            .then((response) => response || Response.error()));
        return;
    }
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(request))
        .then((hit) => hit || fetch(request)));
});

// Pages of earlier builds ask a waiting worker to take over when the player starts a new game.
self.addEventListener('message', (event) => {
    if (event.data === 'take-over') self.skipWaiting();
});
