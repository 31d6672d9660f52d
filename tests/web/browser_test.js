// Plays the browser build in Debian's headless Chromium, driven through the DevTools protocol
// (playwright-core) with real key, mouse and touch events, and judges what the page shows on its
// canvas: first at a desktop window with keyboard and mouse, then at a phone's screen with touch,
// where it also plays offline. Each check is one function below, run in order by main().
//
//   node tests/web/browser_test.js SITE_DIR REFERENCE_PPM DATA_DIR ARTEFACT_DIR
//
// SITE_DIR is scripts/build-web.sh's output, REFERENCE_PPM the desktop's opening view written by
// web_reference_frame, DATA_DIR the game's data/ (pictures the checks compare with). Screenshots
// of every step go to ARTEFACT_DIR. Exits non-zero on the first failed check.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const [siteDir, referencePpm, dataDir, artefactDir] = process.argv.slice(2);
if (!artefactDir) {
    console.error('usage: browser_test.js SITE_DIR REFERENCE_PPM DATA_DIR ARTEFACT_DIR');
    process.exit(2);
}
fs.mkdirSync(artefactDir, { recursive: true });

const W = 1080, H = 720;
// The opening view may differ from the desktop's where the browser draws differently: JPEG
// decoding, text antialiasing, and the zombies, which have walked a little by the time the page
// is read. Mean absolute difference per channel (0..255), and the share of pixels off by more
// than 40 in some channel.
const OPENING_MEAN_TOLERANCE = 4;
const OPENING_OFF_SHARE_TOLERANCE = 0.02;

// ---------------------------------------------------------------------------------------------
// A static file server on the loopback address that counts what the page downloads. /data/ is
// the game's data folder, for the checks' own reference pictures; the page never asks for it.
// A .gz beside a file is sent in its place to a browser that accepts gzip, as servers do.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.ttf': 'font/ttf', '.woff2': 'font/woff2', '.jpg': 'image/jpeg',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
const served = {};
// Every byte sent, request by request (the page's own files only), and how the server answers
// caching: 'no-cache' adds that Cache-Control header to everything.
const traffic = { bytes: 0, requests: 0, cacheControl: null, site: siteDir };
const server = http.createServer((req, res) => {
    const url = decodeURIComponent(req.url.split('?')[0]);
    const fromData = url.startsWith('/data/');
    const base = path.resolve(fromData ? dataDir : traffic.site);
    const file = path.join(base, path.normalize(fromData ? url.slice(5) : url === '/' ? '/index.html' : url));
    if (!file.startsWith(base + path.sep)) {
        res.writeHead(403);
        res.end();
        return;
    }
    const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' };
    const gzip = !fromData && /\bgzip\b/.test(req.headers['accept-encoding'] || '') &&
                 fs.existsSync(file + '.gz');
    if (gzip) headers['Content-Encoding'] = 'gzip';
    if (traffic.cacheControl) headers['Cache-Control'] = traffic.cacheControl;
    fs.readFile(gzip ? file + '.gz' : file, (err, body) => {
        if (err) {
            res.writeHead(404);
            res.end();
            return;
        }
        if (!fromData) {
            served[url === '/' ? '/index.html' : url] = body.length;
            traffic.bytes += body.length;
            traffic.requests++;
        }
        res.writeHead(200, headers);
        res.end(body);
    });
});

let browser = null, page = null, step = 'start';
const problems = []; // JavaScript errors the page reported
const warnings = []; // console warnings, the page's own and the browser's advice alike

async function fail(why) {
    console.log(`FAIL [${step}]: ${why}`);
    if (page) {
        try {
            await page.screenshot({ path: path.join(artefactDir, `failed-${step}.png`) });
            console.log(`  screenshot: ${path.join(artefactDir, `failed-${step}.png`)}`);
        } catch (e) { /* the page may be gone */ }
    }
    for (const p of problems) console.log(`  page error: ${p}`);
    if (browser) await browser.close().catch(() => {});
    server.close();
    process.exit(1);
}
const check = (ok, why) => (ok ? Promise.resolve() : fail(why));
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// ---------------------------------------------------------------------------------------------
// Pictures: the canvas as RGBA bytes, straight from its 2D context (its own 1080x720 pixels,
// whatever size the page shows it at).
async function frame() {
    const b64 = await page.evaluate(() => {
        const c = document.getElementById('canvas');
        const bytes = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        let s = '';
        for (let i = 0; i < bytes.length; i += 0x8000) {
            s += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        }
        return btoa(s);
    });
    const data = Buffer.from(b64, 'base64');
    if (data.length !== W * H * 4) await fail(`the canvas holds ${data.length} bytes, not 1080x720 RGBA`);
    return { w: W, h: H, data, ch: 4 };
}

function readPpm(file) {
    const buf = fs.readFileSync(file);
    const header = buf.toString('latin1', 0, 32).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
    if (!header) throw new Error(`${file} is not a binary PPM`);
    return { w: +header[1], h: +header[2], data: buf.subarray(header[0].length), ch: 3 };
}

// Decodes one of the game's pictures in the page, as the checks' reference.
async function picture(rel) {
    const b64 = await page.evaluate(async (url) => {
        const img = new Image();
        img.src = url;
        await img.decode();
        const c = document.createElement('canvas');
        c.width = img.width;
        c.height = img.height;
        const ctx = c.getContext('2d');
        ctx.drawImage(img, 0, 0);
        const bytes = ctx.getImageData(0, 0, c.width, c.height).data;
        let s = '';
        for (let i = 0; i < bytes.length; i += 0x8000) {
            s += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        }
        return [c.width, c.height, btoa(s)];
    }, '/data/' + rel);
    return { w: b64[0], h: b64[1], data: Buffer.from(b64[2], 'base64'), ch: 4 };
}

// Region (x, y, w, h) of a against region (bx, by) of b: mean absolute difference per channel,
// and the share of pixels off by more than 40 in some channel.
function compare(a, b, x, y, w, h, bx = x, by = y) {
    let sum = 0, off = 0;
    for (let j = 0; j < h; j++) {
        for (let i = 0; i < w; i++) {
            const p = ((y + j) * a.w + x + i) * a.ch, q = ((by + j) * b.w + bx + i) * b.ch;
            let worst = 0;
            for (let c = 0; c < 3; c++) {
                const d = Math.abs(a.data[p + c] - b.data[q + c]);
                sum += d;
                if (d > worst) worst = d;
            }
            if (worst > 40) off++;
        }
    }
    return { mean: sum / (w * h * 3), off: off / (w * h) };
}

// How far the map moved between two frames along one axis: the patch of `after` at (x, y, w, h)
// is looked up in `before` up to r pixels either way. Returns the offset (the camera's move) and
// how well it matched.
function shift(before, after, axis, x, y, w, h, r) {
    let best = { by: 0, mean: Infinity };
    for (let d = -r; d <= r; d++) {
        const bx = axis === 'x' ? x + d : x, by = axis === 'y' ? y + d : y;
        if (bx < 0 || by < 0 || bx + w > W || by + h > H) continue;
        const { mean } = compare(after, before, x, y, w, h, bx, by);
        if (mean < best.mean) best = { by: d, mean };
    }
    return best;
}

// Pixels of a region that are near white, as the HUD's numbers are.
function whitePixels(f, x, y, w, h) {
    let n = 0;
    for (let j = 0; j < h; j++) {
        for (let i = 0; i < w; i++) {
            const p = ((y + j) * f.w + x + i) * f.ch;
            if (f.data[p] > 200 && f.data[p + 1] > 200 && f.data[p + 2] > 200) n++;
        }
    }
    return n;
}

async function shot(name) {
    await page.screenshot({ path: path.join(artefactDir, `${name}.png`) });
}

// Waits until test(frame) holds, reading the canvas again and again; fails with why() after
// `seconds`.
async function waitFor(seconds, test, why) {
    const limit = Date.now() + seconds * 1000;
    for (;;) {
        const f = await frame();
        if (test(f)) return f;
        if (Date.now() > limit) await fail(why(f));
        await sleep(50);
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse positions are given in the game's own pixels and turned into page pixels through the
// canvas's box, as a player sees the scaled picture.
let box = null;
const pageX = (x) => box.x + (x + 0.5) * (box.width / W);
const pageY = (y) => box.y + (y + 0.5) * (box.height / H);

// The player stands at world (wx, wy); with the pointer at (px, py) the camera is at
// (px + wx - 1080, py + wy - 720), so the map moves on screen exactly as the player walks.
let wx = 540, wy = 600;
const px = 540, py = 360;
let msPerPixel = 10; // a first guess (3 px per 30 ms); measured by every long walk
let fastest = msPerPixel;
const paces = []; // ms per pixel of every long walk

async function locate(axis, before) {
    const after = await frame();
    const found = axis === 'x' ? shift(before, after, 'x', 300, 450, 120, 30, 240)
                               : shift(before, after, 'y', 800, 300, 40, 100, 240);
    if (found.mean > 12) {
        await fail(`the screen around the player matches no part of the last view along ${axis} ` +
                   `(best offset ${found.by}, mean difference ${found.mean.toFixed(1)})`);
    }
    return { moved: found.by, after };
}

const holdKey = (key, ms) => page.keyboard.down(key).then(() => sleep(ms)).then(() => page.keyboard.up(key));

// Holds the walking key (through `hold`) until the player stands between lo and hi on the axis,
// looking where the player got after every hold.
async function walkTo(axis, target, lo, hi, hold = holdKey) {
    for (let attempt = 0; attempt < 16; attempt++) {
        const pos = axis === 'x' ? wx : wy;
        if (pos >= lo && pos <= hi) return;
        let dist = target - pos;
        let key = axis === 'x' ? 'd' : 's';
        if (dist < 0) {
            dist = -dist;
            key = axis === 'x' ? 'a' : 'w';
        }
        const before = await frame();
        // The pace follows the frame rate, which the machine's load moves: a long way is covered
        // in holds of at most 120 px at the fastest pace seen, the rest in steps measured anew.
        const held = Math.max(Math.min(dist, 120) * Math.min(msPerPixel, fastest) * (dist > 30 ? 0.8 : 1), 30);
        await hold(key, held);
        await sleep(120);
        const { moved } = await locate(axis, before);
        if (axis === 'x') wx += moved; else wy += moved;
        if (process.env.WEB_TEST_VERBOSE) console.log(`  held ${key} ${held.toFixed(0)} ms: moved ${moved}`);
        if (Math.abs(moved) >= 30) {
            msPerPixel = held / Math.abs(moved);
            fastest = Math.min(fastest, msPerPixel);
            paces.push(msPerPixel);
        }
    }
    await fail(`after sixteen walks the player stands at world ${axis} ${axis === 'x' ? wx : wy}, ` +
               `wanted ${lo}..${hi}`);
}

// ---------------------------------------------------------------------------------------------
// Touch, as a phone's screen gives it (Chromium's touch emulation through the DevTools protocol).
let cdp = null;
const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });

// A thumb put down at (x, y) in page pixels, moved by (dx, dy) and lifted after ms.
async function drag(x, y, dx, dy, ms) {
    await touch('touchStart', [{ x, y, id: 1 }]);
    await touch('touchMove', [{ x: x + dx, y: y + dy, id: 1 }]);
    await sleep(ms);
    await touch('touchEnd', []);
}
// The left stick pushed the way a walking key goes.
const WAYS = { w: [0, -40], a: [-40, 0], s: [0, 40], d: [40, 0] };
const holdStick = (key, ms) => drag(170, 250, WAYS[key][0], WAYS[key][1], ms);
// A touch button, named by its label, tapped and lifted at once (as tapKey below).
async function tapButton(label) {
    const b = await page.locator('#touch button', { hasText: label }).boundingBox();
    await Promise.all([touch('touchStart', [{ x: b.x + b.width / 2, y: b.y + b.height / 2, id: 2 }]),
                       touch('touchEnd', [])]);
}

// ---------------------------------------------------------------------------------------------
// The checks, each a function run as a step of its own by main().
const figures = {};
const statusText = () => page.locator('#status').innerText();

// The level's frame counter sets the first 'FPS = ' caption a second into the level; the page
// shows it in its status line, and the tab keeps the game's name.
async function levelStarts() {
    const started = Date.now();
    for (let t; !/^FPS = [0-9.]+$/.test(t = await statusText()); await sleep(100)) {
        if (problems.length) await fail('the page reported an error while starting');
        if (Date.now() - started > 60000) await fail(`no 'FPS = ' caption within 60 s (status '${t}')`);
    }
    const title = await page.title();
    await check(title === 'Dead Acre', `the tab says '${title}', not 'Dead Acre'`);
    box = await page.locator('#canvas').boundingBox();
}

async function openingView(reference) {
    const same = compare(await frame(), reference, 0, 0, W, H);
    console.log(`opening view against the desktop's: mean difference ${same.mean.toFixed(2)}, ` +
                `${(same.off * 100).toFixed(2)}% of pixels off by more than 40`);
    await check(same.mean < OPENING_MEAN_TOLERANCE && same.off < OPENING_OFF_SHARE_TOLERANCE,
        `the page's opening view is not the desktop's (want mean < ${OPENING_MEAN_TOLERANCE}, ` +
        `off share < ${OPENING_OFF_SHARE_TOLERANCE})`);
    figures.opening_mean = same.mean.toFixed(2);
}

// Frames the page showed over five quiet seconds (nothing reads the canvas meanwhile), and how
// much of that time the page's main thread was busy (Chromium's own task clock). Count and clock
// are read together in the page, so the protocol's delays do not skew them.
async function frameRate() {
    const reading = () => page.evaluate(() => [Module.framesShown, performance.now()]);
    const session = await page.context().newCDPSession(page);
    await session.send('Performance.enable');
    const taskSeconds = async () => (await session.send('Performance.getMetrics')).metrics
        .find((m) => m.name === 'TaskDuration').value;
    const [count0, time0] = await reading();
    const busy0 = await taskSeconds();
    await sleep(5000);
    const busy1 = await taskSeconds();
    const [count1, time1] = await reading();
    const fps = (count1 - count0) / ((time1 - time0) / 1000);
    const busy = (busy1 - busy0) / ((time1 - time0) / 1000);
    console.log(`frames per second over 5 s at the opening view: ${fps.toFixed(1)}; ` +
                `main thread busy ${(busy * 100).toFixed(0)}% of the time`);
    await check(fps >= 10, `the level showed only ${fps.toFixed(1)} frames a second`);
    figures.fps = fps.toFixed(1);
    await canvasIsTheGamesScreen('after 5 s of zombies walking at the opening view');
}

async function focusOnClick() {
    await check(!(await page.locator('#touch').isVisible()), 'touch controls on a desktop with a mouse');
    const audioBefore = await page.evaluate(() => SDL.audioContext ? SDL.audioContext.state : 'none');
    await page.mouse.move(pageX(px), pageY(py));
    await page.mouse.click(pageX(px), pageY(py));
    await check(await page.evaluate(() => document.activeElement.id === 'canvas'),
        'a click on the picture did not give it the keyboard focus');
    const audioAfter = await page.evaluate(() => SDL.audioContext ? SDL.audioContext.state : 'none');
    await check(audioAfter === 'running', `the game's audio is '${audioAfter}' after a click`);
    console.log(`ok: a click gives the picture the focus; audio ${audioBefore} before it, ${audioAfter} after`);
}

// The pointer at (540,360) puts the camera at (0,240) and the player in the middle.
async function walkMovesView(reference) {
    await sleep(200);
    const still = await frame();
    await walkTo('x', 765, 750, 780); // along y 600, under the pistol's pick-up row
    await check(wx > 540, `holding d did not move the view right (world x 540 -> ${wx})`);
    await check((wx - 540) % 3 === 0, `the map moved by ${wx - 540} px, not whole steps of 3`);
    const walked = await frame();
    const moved = compare(walked, still, 0, 420, W, 300);
    await check(moved.mean > 10, `the lower screen hardly changed after walking (mean ${moved.mean.toFixed(1)})`);
    // The desktop's own opening view is no longer what the page shows: the comparison above can fail.
    const unlike = compare(walked, reference, 0, 0, W, H);
    await check(unlike.mean > OPENING_MEAN_TOLERANCE * 2,
        `a walked view still passes for the opening one (mean ${unlike.mean.toFixed(2)})`);
    await shot('2-walked');
    console.log(`ok: walking moved the view; player at world (${wx},${wy}), ${msPerPixel.toFixed(1)} ms/px`);
    // The desktop walks 3 px per 21 ms, 7 ms a pixel, whatever the frame rate; a page that ran
    // one pass per frame walked about 10.5.
    paces.sort((a, b) => a - b);
    const pace = paces[Math.floor(paces.length / 2)];
    console.log(`walking pace: ${pace.toFixed(2)} ms/px (median of ${paces.length} walks; desktop 7.0)`);
    await check(Math.abs(pace - 7) < 7 * 0.15, `the page walks at ${pace.toFixed(2)} ms/px, not the desktop's 7`);
}

// The page's canvas holds exactly the game's screen as the game last drew it (red, green and blue
// of every pixel): the frames sent in part lost nothing.
async function canvasIsTheGamesScreen(when) {
    await sleep(100); // the game stands still: its last frame is on the canvas
    const [differing, first] = await page.evaluate(() => {
        const s = SDL.surfaces[SDL.screen];
        const shown = s.ctx.getImageData(0, 0, s.width, s.height).data;
        const drawn = HEAPU8.subarray(s.buffer, s.buffer + s.width * s.height * 4);
        let count = 0, at = -1;
        for (let i = 0; i < shown.length; i++) {
            if ((i & 3) !== 3 && shown[i] !== drawn[i]) {
                count++;
                if (at < 0) at = i >> 2;
            }
        }
        return [count, at];
    });
    await check(differing === 0, `${when}, ${differing} bytes of the canvas are not the game's ` +
                                 `screen, the first at (${first % W},${Math.floor(first / W)})`);
}

// Where the weapon in hand shows: its clip count and its picture.
const clipChanged = (f, g) => compare(f, g, 980, 20, 40, 32).off > 0.02;
const weaponPictureChanged = (f, g) => compare(f, g, 1020, 20, 60, 45).off > 0.05;

// The pistol, already walked over, taken with `take` and fired with `fire`: the clip count must
// show and then change.
async function pistolClipCount(take, fire) {
    const unarmed = await frame();
    await take();
    const armed = await waitFor(10, (f) => clipChanged(f, unarmed) && weaponPictureChanged(f, unarmed) &&
                                           whitePixels(f, 980, 20, 40, 32) >= 15,
        () => 'after walking over the pistol and taking it, no pistol picture at (1020,20) and ' +
              'no new white clip count at (980,20)');
    await shot(`${prefix}pistol`);
    await fire();
    await waitFor(5, (f) => clipChanged(f, armed), () => 'firing the pistol did not change the clip count at (980,20)');
    await shot(`${prefix}fired`);
    console.log('ok: the pistol is taken, its clip count shows, and a shot changes it');
}

// A key pressed and released at once: both events are sent without waiting for the first to
// arrive, so no frame (and no pass of the game) comes between them, the shortest tap there is.
const tapKey = (key) => Promise.all([page.keyboard.down(key), page.keyboard.up(key)]);

// Taps of 2 and 1 shorter than a frame, once both guns are carried, take them every time (a game
// that reads only held keys misses nearly all of them).
async function shortTapsTakeGuns() {
    await walkTo('y', 480, 470, 490); // up to the submachine gun's row
    await walkTo('x', 690, 680, 700); // and across it
    const pistol = await frame();
    await tapKey('2');
    const gun = await waitFor(5, (f) => weaponPictureChanged(f, pistol) && clipChanged(f, pistol),
        () => 'a tap of 2 after walking over the submachine gun did not change the weapon');
    for (let i = 1; i <= 8; i++) {
        const [key, want] = i % 2 ? ['1', pistol] : ['2', gun];
        await tapKey(key);
        await waitFor(3, (f) => compare(f, want, 1020, 20, 60, 45).mean < 3,
            () => `tap ${i} after the first, of ${key}, did not take its gun`);
    }
    console.log('ok: nine taps of 2 and 1 without a frame between press and release take the guns');
}

// The backpack panel opens with `toggle` and closes with a second.
async function backpackOpens(toggle) {
    const panel = await picture('images/HUDImages/backpack.jpg');
    const diff = (f) => compare(f, panel, 240, 160, 600, 400, 0, 0).mean;
    const closed = diff(await frame());
    await toggle();
    const open = await waitFor(10, (f) => diff(f) < 12, (f) => `the backpack panel did not open at ` +
        `(240,160) (mean difference ${diff(f).toFixed(1)}, want < 12; ${closed.toFixed(1)} before)`);
    await shot(`${prefix}backpack`);
    await toggle();
    await waitFor(10, (f) => diff(f) > 30, () => 'a second toggle did not close the backpack panel');
    console.log(`ok: the backpack opens (panel difference ${diff(open).toFixed(1)}) and closes`);
}

// A right click ends the game; the page says so, no frame rate is left, and its one button starts
// a new game.
async function endAndPlayAgain() {
    await page.mouse.click(pageX(px), pageY(py), { button: 'right' });
    await page.waitForFunction(() => document.body.classList.contains('ended'), null,
                               { timeout: 10000 }).catch(() => fail('the page did not say the game ended after a right click'));
    const notice = await page.locator('#notice').innerText(), left = await statusText();
    await check(/ended/i.test(notice) && !/FPS/.test(left) && !(await page.locator('#canvas').isVisible()),
        `after the end the page says '${notice}', the status line '${left}', or the last frame shows`);
    await check(await page.locator('#notice button').count() === 1, 'no button to play again');
    await shot('6-ended');
    await page.locator('#notice button').click();
    await levelStarts();
    console.log(`ok: a right click ends the game, the page says: ${notice.replace(/\s+/g, ' ')}; its button plays again`);
}

// Where a whole multiple of the picture is at most 5% smaller than the fitted size it is shown
// at that multiple, pixelated (sharp); elsewhere fitted and smoothed.
// The page refits the picture in its resize handler, which the browser runs with its next frame:
// measuring straight after a new window size can read the picture before it refits.
async function resizeWindow(width, height) {
    await page.setViewportSize({ width, height });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

async function scaledToFit() {
    for (const [vw, vh, whole] of [[800, 700, 0], [1600, 700, 0], [1100, 800, 1], [2200, 1600, 2]]) {
        await resizeWindow(vw, vh);
        const b = await page.locator('#canvas').boundingBox();
        const c = await page.locator('#controls').boundingBox();
        await check(Math.abs(b.width / b.height - 1.5) < 0.01 && b.width <= vw + 0.5 &&
                    c.y + c.height <= vh + 0.5 && c.y >= b.y + b.height - 0.5,
            `in a ${vw}x${vh} window the picture is ${b.width}x${b.height} at ${b.x},${b.y} ` +
            `and the controls line at y ${c.y}: not 3:2, not inside, or not under it`);
        const rendering = await page.evaluate(() => getComputedStyle(canvas).imageRendering);
        await check(whole ? Math.abs(b.width - W * whole) < 0.5 && rendering === 'pixelated'
                          : b.width < W * Math.floor(b.width / W + 1) * 0.95 && rendering !== 'pixelated',
            `in a ${vw}x${vh} window the picture is ${b.width} wide, drawn ${rendering}; want ` +
            (whole ? `${W * whole} (${whole}x) pixelated` : 'fitted and smoothed'));
    }
    console.log('ok: the picture keeps 3:2, fits the window with the controls line under it, and ' +
                'shows at a whole multiple, pixelated, where one nearly fills it');
}

// On a phone held sideways the picture fills the screen's height at 3:2, in the middle, under the
// touch controls; held upright, the page asks to turn it.
async function phoneLayout() {
    for (const [vw, vh, upright] of [[390, 844, true], [844, 390, false]]) {
        await resizeWindow(vw, vh);
        await check(await page.locator('#turn').isVisible() === upright,
            `at ${vw}x${vh} the prompt to turn the phone is ${upright ? 'missing' : 'shown'}`);
    }
    const b = await page.locator('#canvas').boundingBox();
    await check(Math.abs(b.width - 585) < 1 && Math.abs(b.height - 390) < 1 && Math.abs(b.x - 129.5) < 1 &&
                await page.locator('#touch button', { hasText: 'Pack' }).isVisible(),
        `in landscape the picture is ${b.width}x${b.height} at ${b.x},${b.y}, not 585x390 in the ` +
        'middle, or the touch controls are missing');
    console.log('ok: the phone layout fills the landscape screen, asks to turn when upright');
}

// On a screen of two device pixels to the page's one, the right stick pushed right puts the
// game's pointer 150 pixels right of the picture's aiming centre (552.5, 372.5), in the game's
// own 1080x720 pixels, wherever and however large the page shows the picture: within one page
// pixel, the grain of a mouse event's coordinates.
async function phonePointer() {
    await drag(630, 230, 50, 0, 400);
    const [x, y, ratio, shown] = await page.evaluate(() => [Browser.mouseX, Browser.mouseY, devicePixelRatio,
                                                            canvas.getBoundingClientRect().width]);
    const grain = W / shown;
    await check(ratio === 2 && Math.abs(x - 702.5) <= grain && Math.abs(y - 372.5) <= grain,
        `at devicePixelRatio ${ratio} the stick put the game's pointer at (${x}, ${y}), not (702.5, 372.5)`);
    console.log(`ok: at devicePixelRatio ${ratio} the stick's pointer reaches the game at (${x}, ${y})`);
}

// The pistol, taken with its button, fired with the right stick, aimed the same way once before
// without a weapon so that the view under the clip count stays as it is.
async function phonePistol() {
    const aim = () => drag(630, 230, 50, 0, 400);
    await aim();
    await pistolClipCount(() => tapButton('1'), async () => {
        await aim();
        await shot('phone-aiming');
    });
}

// After one online visit the service worker has the page: offline, a reload starts the game.
async function offlineStart() {
    await page.evaluate(() => navigator.serviceWorker.ready);
    offline = true;
    await page.context().setOffline(true);
    await page.reload();
    await levelStarts();
    await page.context().setOffline(false);
    offline = false;
    console.log('ok: offline, a reload starts the game from the service worker\'s cache');
}

// ---------------------------------------------------------------------------------------------
// The page on slower processors: Chromium's CPU throttling (DevTools' "mid-tier mobile" 4x and
// "low-end mobile" 6x) at the opening view and walking, beside the unthrottled page. For each:
// frames a second, the main thread's busy share (Chromium's task clock), and what each frame asks
// of the canvas (calls and pixels drawn, counted by wrapping the 2D context's drawing calls), then
// the walking pace, which the game's catch-up passes keep at any frame rate.
async function throttledRun() {
    await page.mouse.click(pageX(px), pageY(py)); // the keys to the picture, the view as it opens
    const session = await page.context().newCDPSession(page);
    await session.send('Performance.enable');
    const taskSeconds = async () => (await session.send('Performance.getMetrics')).metrics
        .find((m) => m.name === 'TaskDuration').value;
    await page.evaluate(() => {
        const proto = CanvasRenderingContext2D.prototype;
        const tally = window.canvasTally = { calls: 0, pixels: 0 };
        const area = {
            drawImage: (a) => (a.length >= 5 ? a[a.length - 2] * a[a.length - 1] : a[0].width * a[0].height),
            putImageData: (a) => (a.length >= 7 ? a[5] * a[6] : a[0].width * a[0].height),
            fillRect: (a) => a[2] * a[3],
            getImageData: (a) => a[2] * a[3],
            fillText: () => 0,
        };
        for (const name of Object.keys(area)) {
            const plain = proto[name];
            proto[name] = function (...a) {
                tally.calls++;
                tally.pixels += Math.abs(area[name](a));
                return plain.apply(this, a);
            };
        }
    });
    // Frames, task time and canvas work over `ms`, read together in the page.
    const reading = () => page.evaluate(() => [Module.framesShown, performance.now(),
                                               canvasTally.calls, canvasTally.pixels]);
    async function measure(ms, during) {
        const [f0, t0, c0, p0] = await reading();
        const busy0 = await taskSeconds();
        await during(ms);
        const busy1 = await taskSeconds();
        const [f1, t1, c1, p1] = await reading();
        const frames = f1 - f0, seconds = (t1 - t0) / 1000;
        return { fps: frames / seconds, busy: (busy1 - busy0) / seconds,
                 calls: (c1 - c0) / Math.max(frames, 1), pixels: (p1 - p0) / Math.max(frames, 1) };
    }
    // Back and forth along x, so the player ends where it started.
    const walking = async (ms) => {
        for (let t = 0; t < ms; t += 1000) {
            await holdKey(t % 2000 ? 'a' : 'd', 500);
            await holdKey(t % 2000 ? 'd' : 'a', 500);
        }
    };
    const rows = [];
    for (const rate of [1, 4, 6]) {
        await session.send('Emulation.setCPUThrottlingRate', { rate });
        await sleep(500);
        const still = await measure(4000, sleep);
        const walk = await measure(4000, walking);
        await sleep(300);
        const before = await frame();
        await holdKey('d', 700);
        await sleep(500);
        const { moved } = await locate('x', before);
        await holdKey('a', 700);
        await sleep(500);
        const pace = 700 / Math.max(moved, 1);
        for (const [what, m] of [['opening view', still], ['walking', walk]]) {
            const line = `${rate}x ${what}: ${m.fps.toFixed(1)} frames/s, main thread ` +
                `${(m.busy * 100).toFixed(0)}% busy, ${m.calls.toFixed(1)} canvas calls and ` +
                `${Math.round(m.pixels)} pixels a frame`;
            console.log(line);
            rows.push(line);
        }
        console.log(`${rate}x walking pace: ${pace.toFixed(2)} ms/px (desktop 7.0)`);
        figures[`throttled_${rate}x`] = `${still.fps.toFixed(1)}/${(still.busy * 100).toFixed(0)}% ` +
            `${walk.fps.toFixed(1)}/${(walk.busy * 100).toFixed(0)}% ${pace.toFixed(2)}`;
        await check(Math.abs(pace - 7) < 7 * 0.15,
            `at ${rate}x throttling the page walks at ${pace.toFixed(2)} ms/px, not the desktop's 7`);
        // What a frame asks of the canvas does not depend on the machine's load: a still view
        // sends its changed areas (some 35,000 pixels in 8 calls), a walking one the screen at
        // most once (the browser SDL's own drawing took about 120 calls and 1.6 million pixels
        // either way). Frame rates and busy shares follow the load of a shared machine, so they
        // are printed, not judged.
        await check(still.calls <= 20 && still.pixels <= 100000 && walk.calls <= 20 && walk.pixels <= W * H,
            `at ${rate}x a frame asked ${still.calls.toFixed(1)} canvas calls and ` +
            `${Math.round(still.pixels)} pixels at the opening view, ${walk.calls.toFixed(1)} and ` +
            `${Math.round(walk.pixels)} walking: want at most 20 calls, and 100,000 pixels still, ` +
            'one screen walking');
    }
    await session.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    await session.detach();
}

// ---------------------------------------------------------------------------------------------
// Delivery: what a visit downloads, what the console shows, and a new build reaching a player.

// The build's table of the page's weight (weight.md beside the site): file label -> [plain, gzip].
function weightTable(text) {
    const rows = {};
    for (const line of text.split('\n')) {
        const m = line.match(/^\| *([^|]*?) *\| *\**([\d,]+)\** *\| *\**([\d,]+)\** *\|$/);
        if (m) rows[m[1].replace(/\*/g, '')] = [+m[2].replace(/,/g, ''), +m[3].replace(/,/g, '')];
    }
    return rows;
}
const builtWeight = () => weightTable(fs.readFileSync(path.join(siteDir, '..', 'weight.md'), 'utf8'));

// README's weight table must be the build's, within 2% for every figure.
async function readmeWeight() {
    const built = builtWeight();
    const readme = weightTable(fs.readFileSync(path.join(dataDir, '..', 'README.md'), 'utf8'));
    for (const [label, figures] of Object.entries(built)) {
        const said = readme[label];
        await check(said && said.every((n, i) => Math.abs(n - figures[i]) <= 0.02 * figures[i]),
            `README's weight of '${label}' is ${said ? said.join(' / ') : 'missing'}, the build's ` +
            `${figures.join(' / ')}: copy ${path.join(siteDir, '..', 'weight.md')} into README`);
    }
    console.log(`ok: README's weight table is the build's (total ${built.total.join(' / ')} bytes)`);
}

// A first visit downloads the page once: by the time the service worker has kept it, the server
// has sent no more than the page's own gzip weight and 5%.
async function firstVisitBytes() {
    await page.evaluate(() => navigator.serviceWorker.ready);
    const own = builtWeight().total[1];
    console.log(`first visit: ${traffic.bytes} bytes in ${traffic.requests} requests ` +
                `(the page weighs ${own} with gzip)`);
    await check(traffic.bytes <= own * 1.05, `a first visit downloaded ${traffic.bytes} bytes, ` +
                `more than the page's ${own} and 5%`);
    figures.first_visit_bytes = traffic.bytes;
}

// What the page's own scripts (the page, the game and its runtime) print as warnings or errors,
// kept apart from the browser's own advice, which the console shows as well.
function recordOwnConsole() {
    window.ownConsole = [];
    for (const kind of ['warn', 'error']) {
        const print = console[kind];
        console[kind] = (...args) => {
            window.ownConsole.push(`${kind}: ${args.join(' ')}`);
            print.apply(console, args);
        };
    }
}

// A load prints no warning or error of the game's own.
async function quietConsole() {
    const own = await page.evaluate(() => window.ownConsole);
    await check(own.length === 0, `${own.length} warning(s) or error(s) of the page's own on a load: ` +
                own.slice(0, 5).join(' | '));
    console.log(`ok: no console warnings or errors of the page's own on a load (the browser's own ` +
                `advice: ${warnings.length ? warnings.map((w) => w.slice(0, 60)).join(' | ') : 'none'})`);
}

// On a phone the picture has the screen: the status line must not lie over it while playing.
async function phoneStatusLine() {
    const status = page.locator('#status');
    const b = await page.locator('#canvas').boundingBox(), s = await status.boundingBox();
    const over = (await status.isVisible()) && s && s.y < b.y + b.height && s.y + s.height > b.y &&
                 s.x < b.x + b.width && s.x + s.width > b.x;
    await check(!over, `the status line '${await statusText()}' lies over the picture at ${JSON.stringify(s)}`);
    console.log('ok: on the phone the status line does not cover the picture while playing');
}

// A build of the site as a rebuild would give it: every file the same but the page, the worker
// (a new version) and index.js, which says which build it is.
function writeBuild(dir, first, n) {
    const version = String(n).repeat(16);
    const stamp = (bytes) => require('crypto').createHash('sha256').update(bytes).digest('hex').slice(0, 16);
    const script = fs.readFileSync(path.join(siteDir, 'index.js'), 'utf8');
    const changed = script + `\nModule.buildNumber = ${n};\n`;
    for (const file of ['index.html', 'sw.js']) {
        fs.writeFileSync(path.join(dir, file), fs.readFileSync(path.join(siteDir, file), 'utf8')
            .split(first).join(version).split(`index.js?v=${stamp(script)}`).join(`index.js?v=${stamp(changed)}`));
    }
    fs.writeFileSync(path.join(dir, 'index.js'), changed);
    for (const file of ['index.html', 'sw.js', 'index.js']) fs.rmSync(path.join(dir, file + '.gz'), { force: true });
    return version;
}

// Python's http.server, as README serves the page: Last-Modified, no Cache-Control.
async function pythonServer(dir) {
    const { spawn } = require('child_process');
    const child = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '-d', dir, '0'],
                        { stdio: ['ignore', 'pipe', 'ignore'] });
    const port = await new Promise((resolve, reject) => {
        child.stdout.on('data', (d) => { const m = String(d).match(/port (\d+)/); if (m) resolve(m[1]); });
        child.on('exit', () => reject(new Error('python3 -m http.server did not start')));
    });
    return { url: `http://127.0.0.1:${port}/`, close: () => child.kill() };
}

// After a new build is put on the server, the first reload plays it, whether the old build's
// worker is in control or the new one took over already; a page still playing the old build when
// the new worker takes over goes on and says a new version is ready. On python's server and on
// one that sends Cache-Control: no-cache.
async function updateOnReload(kind) {
    const started = Date.now();
    const dir = fs.mkdtempSync(path.join(require('os').tmpdir(), 'deadacre-site-'));
    fs.cpSync(siteDir, dir, { recursive: true });
    const first = (fs.readFileSync(path.join(siteDir, 'sw.js'), 'utf8').match(/const VERSION = '(\w+)'/) || [])[1];
    let site;
    if (kind === 'python') {
        site = await pythonServer(dir);
    } else {
        Object.assign(traffic, { site: dir, cacheControl: 'no-cache' });
        site = { url: `http://127.0.0.1:${server.address().port}/`, close: () => {} };
    }
    const build = () => page.evaluate(() => [typeof BUILD === 'string' ? BUILD : 'none', Module.buildNumber || 1]);
    const controlled = () => page.waitForFunction(() => navigator.serviceWorker.controller, null, { timeout: 30000 });
    try {
        if (page) await page.context().close();
        page = await (await browser.newContext({ viewport: { width: 1280, height: 900 } })).newPage();
        page.on('pageerror', (e) => problems.push(e.stack || e.message));
        await page.goto(site.url);
        await levelStarts();
        await controlled();
        // Python's server dates files to the second: the new build must be newer than the page.
        await sleep(1100);
        const second = writeBuild(dir, first, 2);
        await page.reload();
        await levelStarts();
        let [version, n] = await build();
        await check(version === second && n === 2,
            `${kind}: the first reload after a new build shows build ${n} (${version}), not 2 (${second})`);
        await controlled();
        // Once the new worker has taken over (the first build's cache gone), it has told the page.
        await page.waitForFunction(async (v) => !(await caches.has('deadacre-' + v)), first, { timeout: 30000 });
        await sleep(300);
        await check(!(await page.locator('#update').isVisible()), `${kind}: the new build says a newer one is ready`);

        await page.evaluate(() => { window.stillPlaying = true; });
        await sleep(1100);
        const third = writeBuild(dir, first, 3);
        await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
        await page.locator('#update').waitFor({ state: 'visible', timeout: 30000 })
            .catch(() => fail(`${kind}: a new build found mid-game, and the page does not say it is ready`));
        await check(await page.evaluate(() => window.stillPlaying === true) && /^FPS = /.test(await statusText()),
            `${kind}: the game in progress was not left alone when a new build was found`);
        await page.reload();
        await levelStarts();
        [version, n] = await build();
        await check(version === third && n === 3, `${kind}: the reload after 'new version ready' shows build ${n}`);
        console.log(`ok (${kind}): the first reload after a new build plays it; one found mid-game is ` +
                    `announced and the game goes on (${((Date.now() - started) / 1000).toFixed(0)} s)`);
    } finally {
        site.close();
        Object.assign(traffic, { site: siteDir, cacheControl: null });
        fs.rmSync(dir, { recursive: true, force: true });
    }
}

// Pause, with `toggle` (the P key, or the touch controls' Pause button): the panel shows in the
// middle, dark at its edge with its white title, nothing moves under it, and a second toggle
// takes it away.
async function pausePanel(toggle) {
    const plain = { w: W, h: H, data: Buffer.alloc(W * H * 4, 16), ch: 4 }; // the panel's colour
    const edge = (f) => compare(f, plain, 225, 295, 20, 130).mean;
    const panel = (f) => edge(f) < 12 && whitePixels(f, 390, 295, 300, 60) > 200;
    await toggle();
    const first = await waitFor(10, panel, (f) => `no 'Paused' panel (edge ${edge(f).toFixed(1)} ` +
        `from its colour, want < 12; ${whitePixels(f, 390, 295, 300, 60)} white title pixels)`);
    await shot(`${prefix}paused`);
    await sleep(1500);
    const later = await frame();
    const moved = compare(first, later, 0, 0, W, H).off;
    await check(moved === 0, `${(moved * 100).toFixed(2)}% of the picture changed while paused`);
    await toggle();
    await waitFor(10, (f) => !panel(f), () => 'a second toggle left the panel up');
    console.log('ok: the pause shows its panel, holds the picture still, and plays on');
}

// The settings live in the page's storage: what is stored is read at the start (volume 50), the
// '-' key steps it down and the storage keeps the change beside the player's own line.
async function storedSettings() {
    await page.evaluate(() => localStorage.setItem('deadacre-settings', '# mine\nvolume = 50\n'));
    await page.reload();
    await levelStarts();
    await page.locator('#canvas').click({ position: { x: 5, y: 5 }, button: 'left' }).catch(() => {});
    await page.keyboard.press('-');
    const stored = () => page.evaluate(() => localStorage.getItem('deadacre-settings'));
    const started = Date.now();
    while (!/volume = 40/.test(await stored()) && Date.now() - started < 10000) await sleep(100);
    const text = await stored();
    await check(/^# mine\nvolume = 40\n/.test(text) && /mute = no/.test(text),
        `after '-' the page's storage holds ${JSON.stringify(text)}, not the stored 50 less 10 ` +
        'beside the player\'s comment');
    console.log(`ok: the settings are read from the page's storage and '-' keeps volume 40 there`);
}

// With walk_keys = position the walking keys answer by their place: on an AZERTY keyboard the
// key in W's place types z, and walks up; its w, in Z's place, does nothing.
async function positionWalk() {
    const stored = await page.evaluate(() => localStorage.getItem('deadacre-settings'));
    await page.evaluate(() => localStorage.setItem('deadacre-settings', 'walk_keys = position\n'));
    await page.reload();
    await levelStarts();
    await page.mouse.click(pageX(px), pageY(py));
    const press = (key, code, keyCode, ms) => page.evaluate(async ([key, code, keyCode, ms]) => {
        const send = (type) => {
            const e = new KeyboardEvent(type, { key, code, bubbles: true, cancelable: true });
            Object.defineProperty(e, 'keyCode', { value: keyCode });
            Object.defineProperty(e, 'which', { value: keyCode });
            canvas.dispatchEvent(e);
        };
        send('keydown');
        await new Promise((r) => setTimeout(r, ms));
        send('keyup');
    }, [key, code, keyCode, ms]);
    const walked = async (key, code, keyCode) => {
        await sleep(200);
        const before = await frame();
        await press(key, code, keyCode, 300);
        await sleep(200);
        return (await locate('y', before)).moved;
    };
    const wrongPlace = await walked('w', 'KeyZ', 87);
    const rightPlace = await walked('z', 'KeyW', 90);
    await walked('s', 'KeyS', 83); // back where it stood
    await page.evaluate((text) => (text === null ? localStorage.removeItem('deadacre-settings')
                                                 : localStorage.setItem('deadacre-settings', text)), stored);
    await check(wrongPlace === 0 && rightPlace < -15,
        `with walk_keys = position, w in Z's place moved the view ${wrongPlace} px (want 0) and ` +
        `z in W's place ${rightPlace} px (want up, below -15)`);
    console.log(`ok: walk_keys = position: z in W's place walks up (${rightPlace} px), w in Z's place does not`);
}

// A hidden tab pauses the game: nothing moves while it is hidden, and shown again it waits
// paused, with its panel, until the player plays on. Hidden as the page sees it (visibilityState
// and its event); Chromium keeps drawing frames, so a game that went on would be seen to.
async function hiddenTabPauses() {
    const setHidden = (hidden) => page.evaluate((hidden) => {
        Object.defineProperty(document, 'hidden', { value: hidden, configurable: true });
        Object.defineProperty(document, 'visibilityState', { value: hidden ? 'hidden' : 'visible', configurable: true });
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    let shownAgain = false;
    await pausePanel(async () => {
        if (!shownAgain) {
            await setHidden(true);
            await sleep(300);
            const [frames, hidden] = [await page.evaluate(() => Module.framesShown), await frame()];
            await sleep(1000);
            const [later, still] = [await page.evaluate(() => Module.framesShown), await frame()];
            const moved = compare(hidden, still, 0, 0, W, H).off;
            await check(later > frames && moved === 0, `while the tab was said hidden the page drew ` +
                        `${later - frames} frames and ${(moved * 100).toFixed(2)}% of the picture changed`);
            await setHidden(false);
            shownAgain = true;
        } else {
            await page.keyboard.press('p');
        }
    });
    console.log('ok: a hidden tab pauses the game, which stands still until P plays on');
}

let prefix = '', offline = false;
async function run(name, fn, ...args) {
    step = name;
    await fn(...args);
}

async function main() {
    await new Promise((r) => server.listen(0, '127.0.0.1', r));
    const url = `http://127.0.0.1:${server.address().port}/`;
    const reference = readPpm(referencePpm);
    await run('readme-weight', readmeWeight);

    step = 'launch';
    // Debian's Chromium, never a downloaded one; the flags keep it off the (closed) network.
    // Playwright starts it with a new, empty profile folder of its own every time.
    browser = await chromium.launch({
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    }).catch((e) => fail(`Chromium did not start: ${e.message}`));
    const open = async (options) => {
        const context = await browser.newContext(options);
        page = await context.newPage();
        page.on('pageerror', (e) => problems.push(e.stack || e.message));
        page.on('console', (m) => {
            if (m.type() === 'error') problems.push(`console: ${m.text()}`);
            if (m.type() === 'warning') warnings.push(m.text());
        });
        page.on('requestfailed', (r) => offline || problems.push(`request failed: ${r.url()}`));
        await page.addInitScript(recordOwnConsole);
        await page.goto(url);
    };

    // A desktop window with keyboard and mouse.
    await open({ viewport: { width: 1280, height: 900 } });
    await run('level-starts', levelStarts);
    await run('first-visit-bytes', firstVisitBytes);
    await run('quiet-console', quietConsole);
    const download = Object.values(served).reduce((a, b) => a + b, 0);
    const files = Object.entries(served).map(([k, v]) => `${k.slice(1)} ${v}`).join(', ');
    await shot('1-level');
    await run('opening-view', openingView, reference);
    await run('frame-rate', frameRate);
    await run('focus-on-click', focusOnClick);
    await run('walk-moves-view', walkMovesView, reference);
    await walkTo('y', 570, 555, 588); // onto the pistol's row
    await walkTo('x', 652, 640, 665); // across the pistol
    await run('pistol-clip-count', pistolClipCount, () => holdKey('1', 100),
              () => page.mouse.click(pageX(px), pageY(py)));
    await run('short-taps', shortTapsTakeGuns);
    await run('backpack', backpackOpens, () => page.keyboard.press('t'));
    await run('pause', pausePanel, () => page.keyboard.press('p'));
    await run('hidden-tab-pause', hiddenTabPauses);
    await run('stored-settings', storedSettings);
    await run('position-walk', positionWalk);
    await run('end-and-play-again', endAndPlayAgain);
    await run('throttled', throttledRun);
    await run('scaled-to-fit', scaledToFit);

    // A phone held sideways, touch only: walks from the start onto the pistol with the left stick.
    prefix = 'phone-';
    await page.context().close();
    await open({ viewport: { width: 844, height: 390 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 });
    cdp = await page.context().newCDPSession(page);
    await run('phone-layout', phoneLayout);
    await run('phone-starts', levelStarts);
    await run('phone-status-line', phoneStatusLine);
    await run('phone-pointer', phonePointer);
    [wx, wy, step] = [540, 600, 'phone-walk'];
    await walkTo('y', 570, 555, 588, holdStick);
    await walkTo('x', 700, 690, 710, holdStick);
    await run('phone-pistol', phonePistol);
    await run('phone-backpack', backpackOpens, () => tapButton('Pack'));
    await run('phone-pause', pausePanel, () => tapButton('Pause'));
    await run('phone-offline', offlineStart);

    // A new build on the server, as a player who reloads meets it.
    await run('update-python', updateOnReload, 'python');
    await run('update-no-cache', updateOnReload, 'no-cache');

    step = 'no-javascript-errors';
    await check(problems.length === 0, `${problems.length} JavaScript error(s) on the page`);
    console.log(`page download: ${download} bytes (${files})`);
    figures.download_bytes = download;
    fs.writeFileSync(path.join(artefactDir, 'figures.txt'),
        Object.entries(figures).map(([k, v]) => `${k} ${v}\n`).join(''));
    await browser.close();
    server.close();
    console.log('ok: no JavaScript errors; screenshots in ' + artefactDir);
}

main().catch((e) => fail(e.stack || String(e)));
