// The phone players in Chromium's phone emulation: the first page shows, a swipe or a tap
// turns, right-to-left books turn the other way, the logo and title appear, and a hostile
// title stays text. Books are written by the real phone writer (mobile_book_fixture).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { pagePicture, png } from '../browser/make_book.mjs';
import { startServer } from '../browser/helpers.mjs';

const FIXTURE = process.env.MOBILE_BOOK_FIXTURE;
const CHROMIUM = process.env.LEAFCRAFT_CHROMIUM || '/usr/bin/chromium';
const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const PHONE = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const HOSTILE = 'Tom\'s "Book" </script><script>window.__pwned=1</script> <img src=x onerror="window.__pwned=2"> \\ end';
const PAGES = 4;

let chromium = null;
try {
    ({ chromium } = await import('playwright-core'));
} catch { /* reported by the skip below */ }
// The books come from the C++ writer (the fixture program): without it the tests fail.
if (!FIXTURE) throw new Error('MOBILE_BOOK_FIXTURE is not set: run these tests through ctest');
const skip = !chromium ? 'playwright-core is not installed (npm ci)'
        : !fs.existsSync(CHROMIUM) ? `no Chromium at ${CHROMIUM}` : false;

let work, context, profile, server;
const books = {};

function publish(name, type, sets) {
    const dir = path.join(work, name);
    const pics = Array.from({ length: PAGES }, (_, i) => path.join(work, 'pics', `${i + 1}.jpg`));
    const args = [dir, type, ...pics];
    for (const [k, v] of Object.entries(sets)) args.push('--set', `${k}=${v}`);
    execFileSync(FIXTURE, args, { stdio: ['ignore', 'inherit', 'inherit'] });
    books[name] = dir;
}

before(async () => {
    if (skip) return;
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'leafcraft-mobile-'));
    fs.mkdirSync(path.join(work, 'pics'));
    for (let n = 1; n <= PAGES; n++) fs.writeFileSync(path.join(work, 'pics', `${n}.jpg`), pagePicture(n, 240, 320, [], n * 4));
    const logo = path.join(work, 'logo.png');
    fs.writeFileSync(logo, png(64, 32, (x) => (x < 32 ? [200, 30, 30] : [30, 30, 200])));
    const common = { LogoFile: logo, link: 'javascript:window.__pwned=3', pageWidth: '600', pageHeight: '800' };
    publish('flip', 'flip', { ...common, Title: HOSTILE, direction: 'Right' });
    publish('flipRtl', 'flip', { ...common, Title: 'RTL', direction: 'Left' });
    publish('slide', 'slide', { ...common, bookTitle: HOSTILE, direction: 'Right' });
    publish('slideRtl', 'slide', { ...common, bookTitle: 'RTL', direction: 'Left' });
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'leafcraft-chromium-'));
    context = await chromium.launchPersistentContext(profile, { executablePath: CHROMIUM, headless: true, args: ARGS, ...PHONE });
    server = await startServer(work);
});

after(async () => {
    if (context) await context.close();
    if (server) await server.close();
    for (const dir of [profile, work]) if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

// Opens a book's phone page; returns the page and the list of problems it reported.
async function open(url) {
    const page = await context.newPage();
    const problems = [];
    page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
    page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
    page.on('request', (r) => {
        if (!/^(file:|data:|http:\/\/127\.0\.0\.1)/.test(r.url())) problems.push(`network: ${r.url()}`);
    });
    await page.goto(url);
    await page.waitForFunction(() => document.body.dataset.ready === '1');
    return { page, problems };
}

const fileUrl = (name) => pathToFileURL(path.join(books[name], 'mobile', 'index.html')).href;

// The picture on show once any turn has ended: its number and whether it loaded.
async function shown(page, selector) {
    await page.waitForFunction(() => !document.getElementById('leaf').classList.contains('turning'));
    return page.evaluate(async (sel) => {
        const img = document.querySelector(sel);
        if (!img.complete) await new Promise((r) => { img.onload = img.onerror = r; });
        const m = /(\d+)\.jpg$/.exec(img.getAttribute('src') || '');
        return { number: m ? Number(m[1]) : null, loaded: img.naturalWidth > 0, page: Number(document.body.dataset.page) };
    }, selector);
}

// The slide on show: the one whose box covers the middle of the stage.
async function slideShown(page) {
    await page.waitForTimeout(400); // the slide transition (0.3 s) settles
    return page.evaluate(() => {
        const stage = document.getElementById('stage').getBoundingClientRect();
        const x = stage.left + stage.width / 2;
        const slides = [...document.querySelectorAll('.slide')];
        const i = slides.findIndex((s) => { const r = s.getBoundingClientRect(); return r.left <= x && r.right > x; });
        const img = slides[i] && slides[i].querySelector('img');
        const m = img && /(\d+)\.jpg$/.exec(img.getAttribute('src') || '');
        return { number: m ? Number(m[1]) : null, loaded: !!img && img.naturalWidth > 0, page: Number(document.body.dataset.page) };
    });
}

// A finger moving across the middle of the stage from fraction x0 to x1 of its width.
async function swipe(page, x0, x1) {
    const box = await page.locator('#stage').boundingBox();
    const y = box.y + box.height / 2;
    const cdp = await context.newCDPSession(page);
    const at = (f) => [{ x: box.x + box.width * f, y, id: 1 }];
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(x0) });
    for (let s = 1; s <= 6; s++) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(x0 + (x1 - x0) * s / 6) });
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await cdp.detach();
}

async function tap(page, fx) {
    const box = await page.locator('#stage').boundingBox();
    await page.touchscreen.tap(box.x + box.width * fx, box.y + box.height / 2);
}

async function fitsThePhone(page) {
    return page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth &&
        document.getElementById('stage').getBoundingClientRect().height > 400);
}

describe('page-turning phone book', { skip }, () => {
    test('first page, title, logo; swipe and tap turn forward and back', async () => {
        const { page, problems } = await open(fileUrl('flip'));
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 1, loaded: true, page: 1 });
        assert.equal(await page.textContent('#title'), HOSTILE);
        assert.equal(await page.title(), HOSTILE);
        assert.ok(await fitsThePhone(page));
        assert.ok(await page.evaluate(() => document.getElementById('logoImg').naturalWidth === 64));
        // A script link is not made a link.
        assert.equal(await page.getAttribute('#logo', 'href'), null);

        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        await tap(page, 0.75);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 3, loaded: true, page: 3 });
        await tap(page, 0.25);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        await swipe(page, 0.2, 0.8);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 1, loaded: true, page: 1 });
        await swipe(page, 0.2, 0.8); // nothing before the first page
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 1, loaded: true, page: 1 });
        assert.equal(await page.textContent('#counter'), `1 / ${PAGES}`);
        assert.equal(await page.evaluate(() => window.__pwned), undefined);
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('right-to-left: the finger moving right and a tap on the left turn forward', async () => {
        const { page, problems } = await open(fileUrl('flipRtl'));
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 1, loaded: true, page: 1 });
        await swipe(page, 0.2, 0.8);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        await tap(page, 0.25);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 3, loaded: true, page: 3 });
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        assert.equal(await page.textContent('#title'), 'RTL');
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('thumbnails jump to a page; the last page stops the turning', async () => {
        const { page, problems } = await open(fileUrl('flip'));
        await page.tap('#btnThumbs');
        await page.tap(`#thumbGrid button:nth-child(${PAGES})`);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: PAGES, loaded: true, page: PAGES });
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: PAGES, loaded: true, page: PAGES });
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('a zoomed page pans under the finger instead of turning', async () => {
        const { page, problems } = await open(fileUrl('flip'));
        await page.tap('#btnZoom');
        const before = await page.evaluate(() => document.getElementById('viewport').scrollLeft);
        await swipe(page, 0.8, 0.3);
        await page.waitForTimeout(300);
        const after = await page.evaluate(() => document.getElementById('viewport').scrollLeft);
        assert.ok(after > before, `scrollLeft ${before} -> ${after}`);
        assert.equal(await page.evaluate(() => document.body.dataset.page), '1');
        await page.tap('#btnZoom');
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('served by a web server', async () => {
        const { page, problems } = await open(`${server.url}flip/mobile/index.html`);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 1, loaded: true, page: 1 });
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await shown(page, '#pageTop img'), { number: 2, loaded: true, page: 2 });
        assert.deepEqual(problems, []);
        await page.close();
    });
});

describe('phone slide viewer', { skip }, () => {
    test('first page, title, logo; swipe and tap move between pages', async () => {
        const { page, problems } = await open(fileUrl('slide'));
        assert.deepEqual(await slideShown(page), { number: 1, loaded: true, page: 1 });
        assert.equal(await page.textContent('#title'), HOSTILE);
        assert.equal(await page.title(), HOSTILE);
        assert.ok(await fitsThePhone(page));
        assert.ok(await page.evaluate(() => document.getElementById('logoImg').naturalWidth === 64));
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        await tap(page, 0.75);
        assert.deepEqual(await slideShown(page), { number: 3, loaded: true, page: 3 });
        await tap(page, 0.25);
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        await swipe(page, 0.1, 0.15); // too short to count: stays
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        assert.equal(await page.evaluate(() => window.__pwned), undefined);
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('right-to-left', async () => {
        const { page, problems } = await open(fileUrl('slideRtl'));
        assert.deepEqual(await slideShown(page), { number: 1, loaded: true, page: 1 });
        await swipe(page, 0.2, 0.8);
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        await tap(page, 0.25);
        assert.deepEqual(await slideShown(page), { number: 3, loaded: true, page: 3 });
        await tap(page, 0.75);
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        assert.deepEqual(problems, []);
        await page.close();
    });

    test('served by a web server', async () => {
        const { page, problems } = await open(`${server.url}slide/mobile/index.html`);
        assert.deepEqual(await slideShown(page), { number: 1, loaded: true, page: 1 });
        await swipe(page, 0.8, 0.2);
        assert.deepEqual(await slideShown(page), { number: 2, loaded: true, page: 2 });
        assert.deepEqual(problems, []);
        await page.close();
    });
});
