// Keeps the whole page in a cache so that a second visit plays without a network. The build
// fills in the version (made from the files' contents) and the list of files.
'use strict';
const CACHE = 'deadacre-@VERSION@';
const FILES = [@FILES@];

// Everything is fetched afresh for a new version: a half-cached page would mix two builds.
self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) =>
        cache.addAll(['./'].concat(FILES).map((f) => new Request(f, { cache: 'reload' })))));
});

// Once a new version takes over (the tabs of the old one closed), the old caches go.
self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys().then((names) => Promise.all(names
        .filter((name) => name.startsWith('deadacre-') && name !== CACHE)
        .map((name) => caches.delete(name)))));
});

// The cache first, so the page starts as fast offline as online; anything not cached (nothing the
// page needs) goes to the network.
self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET') return;
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(event.request, { ignoreSearch: true }))
        .then((hit) => hit || fetch(event.request)));
});

// The page asks a new version to take over when the player starts a new game anyway; one still
// installing takes over once its cache is complete.
self.addEventListener('message', (event) => {
    if (event.data === 'take-over') self.skipWaiting();
});
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));
