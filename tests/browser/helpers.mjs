// Shared pieces of the browser tests: headless Chromium and a loopback static file server.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium, firefox } from 'playwright-core';

export const CHROMIUM = process.env.LEAFCRAFT_CHROMIUM || '/usr/bin/chromium';
const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// LEAFCRAFT_BROWSER=firefox: Debian's Firefox ESR, driven over WebDriver BiDi.
export const FIREFOX = process.env.LEAFCRAFT_BROWSER === 'firefox' ? '/usr/bin/firefox-esr' : null;

// A fresh browser profile per launch; close() removes it.
export async function launchBrowser(viewport = { width: 1200, height: 800 }) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'leafcraft-browser-'));
    // Firefox over BiDi: a launched browser's own context (its persistent context does not start).
    const firefoxBrowser = FIREFOX && await firefox.launch({ channel: 'moz-firefox', executablePath: FIREFOX, headless: true });
    const context = firefoxBrowser ? await firefoxBrowser.newContext({ viewport })
        : await chromium.launchPersistentContext(profile, { executablePath: CHROMIUM, headless: true, args: ARGS, viewport });
    return {
        context,
        async close() {
            await context.close();
            await firefoxBrowser?.close();
            fs.rmSync(profile, { recursive: true, force: true });
        }
    };
}

const TYPES = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css',
    '.xml': 'application/xml', '.jpg': 'image/jpeg', '.png': 'image/png', '.gif': 'image/gif', '.svg': 'image/svg+xml',
    '.mp3': 'audio/mpeg', '.wav': 'audio/wav', '.pdf': 'application/pdf'
};

// Serves a folder on 127.0.0.1 at an ephemeral port. Only GET of files inside the folder.
export function startServer(rootDir) {
    const root = path.resolve(rootDir);
    const server = http.createServer((req, res) => {
        const url = new URL(req.url, 'http://127.0.0.1');
        const file = path.resolve(root, '.' + decodeURIComponent(url.pathname));
        if (req.method !== 'GET' || !file.startsWith(root + path.sep) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
            res.writeHead(404).end('not found');
            return;
        }
        res.writeHead(200, { 'Content-Type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(res);
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => {
            resolve({
                url: `http://127.0.0.1:${server.address().port}/`,
                close: () => new Promise((r) => { server.closeAllConnections(); server.close(r); })
            });
        });
    });
}

export function tempDir(prefix) {
    return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// Registers hooks that start a browser and a server of `work` before the file's tests and remove
// them and the folder afterwards; the returned object holds { browser, server } meanwhile.
export function browserAndServer(work, { before, after }) {
    const env = {};
    before(async () => {
        env.browser = await launchBrowser();
        env.server = await startServer(work);
    });
    after(async () => {
        await env.browser?.close();
        await env.server?.close();
        fs.rmSync(work, { recursive: true, force: true });
    });
    return env;
}

// Draws a selection with the mouse from the start of locator `from` to the end of locator `to`
// (or to the point { x, y }), copies it with the keyboard and gives what the copy put on the
// clipboard.
export async function dragAndCopy(page, from, to) {
    const a = await from.boundingBox();
    const b = to.boundingBox ? await to.boundingBox() : { x: to.x, y: to.y, width: 1, height: 0 };
    await page.evaluate(() => {
        getSelection().removeAllRanges(); // a press on selected text would drag it
        document.addEventListener('copy', (e) => { window.__copied = e.clipboardData.getData('text/plain'); }, { once: true });
    });
    await page.mouse.move(a.x + 1, a.y + a.height / 2);
    await page.mouse.down();
    await page.mouse.move(b.x + b.width - 1, b.y + b.height / 2, { steps: 5 });
    await page.mouse.up();
    await page.keyboard.press('ControlOrMeta+C');
    return page.evaluate(() => window.__copied);
}

// The index among `spans` (a locator of word spans) of the first of two neighbours on one line
// reading `phrase` ("two words", any case), and their texts.
export async function phraseAt(spans, phrase) {
    return spans.evaluateAll((all, [a, b]) => {
        const i = all.findIndex((s, k) => k + 1 < all.length && s.textContent.toLowerCase().includes(a)
            && all[k + 1].textContent.toLowerCase().includes(b) && !all[k + 1].classList.contains('lc-line'));
        return { index: i, texts: i < 0 ? [] : [all[i].textContent.trim(), all[i + 1].textContent.trim()] };
    }, phrase.split(' '));
}
