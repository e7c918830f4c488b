// The browser side of bench/vector.sh, in headless Chromium:
//   shot <page file> <width in CSS px> <out.png>
//       shows a page file as the players do (an <img> scaled by its width) at device pixel
//       ratio 2 and saves what is painted;
//   times <runs> <book dir> <book dir> ...
//       per book, opened from disk and from a loopback web server, in fresh contexts: the first
//       page painted (LeafcraftBook.readyTime), and a page turn 1.5 s later (from the call until
//       no leaf turns and the new pages' pictures are decoded) with the longest frame on the way.
//       Prints one JSON line per book and origin with the medians.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const browser = await chromium.launch({ executablePath: process.env.LEAFCRAFT_CHROMIUM || '/usr/bin/chromium',
    headless: true, args: ARGS });
const [command, ...rest] = process.argv.slice(2);

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.jpg': 'image/jpeg',
    '.png': 'image/png', '.svg': 'image/svg+xml', '.xml': 'application/xml' };

function serve(root) {
    const server = http.createServer((req, res) => {
        const file = path.join(root, decodeURIComponent(new URL(req.url, 'http://x').pathname));
        if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            res.writeHead(404).end();
            return;
        }
        res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(res);
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function shot(file, width, out) {
    const context = await browser.newContext({ viewport: { width: 800, height: 600 }, deviceScaleFactor: 2 });
    const page = await context.newPage();
    // Beside the page file (in the bench's own work folder), so that file:// may show it.
    const html = path.join(path.dirname(path.resolve(file)), 'bench-shot.html');
    fs.writeFileSync(html, `<body style="margin:0;background:#fff"><img id="p" style="display:block;width:${width}px"
        src="${path.basename(file)}"></body>`);
    await page.goto(pathToFileURL(html).href);
    await page.waitForFunction(() => document.getElementById('p').complete);
    await page.evaluate(() => document.getElementById('p').decode());
    await page.locator('#p').screenshot({ path: out });
    await context.close();
    fs.rmSync(html);
}

// Milliseconds from the turn's call until the new spread is painted, and the longest frame on the way.
function turn(to) {
    const t0 = performance.now();
    let last = t0, longest = 0, running = true;
    const frame = (t) => {
        longest = Math.max(longest, t - last);
        last = t;
        if (running) requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
    return window.LeafcraftBook.goToPage(to).then(() => new Promise((resolve) => {
        const check = () => {
            const imgs = [...document.querySelectorAll('.lc-slot .lc-page-img')];
            const done = !document.querySelector('.lc-leaf') && imgs.length && imgs.every((i) => i.complete && i.naturalWidth);
            if (!done) return requestAnimationFrame(check);
            Promise.all(imgs.map((i) => i.decode().catch(() => {}))).then(() => requestAnimationFrame(() => {
                running = false;
                resolve([performance.now() - t0, longest]);
            }));
        };
        check();
    }));
}

async function once(url) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    await page.goto(url);
    const open = await page.evaluate(() => window.LeafcraftBook.ready.then(() => window.LeafcraftBook.readyTime));
    await page.waitForTimeout(1500); // a reader looks at the page before turning it
    const [turned, frame] = await page.evaluate(turn, 2); // the next spread
    await context.close();
    return { open, turned, frame };
}

async function times(runs, books) {
    const root = path.resolve(path.dirname(books[0]));
    const server = await serve(root);
    const base = `http://127.0.0.1:${server.address().port}/`;
    const samples = {};
    for (let i = 0; i < runs; i++) {
        for (const book of i % 2 ? [...books].reverse() : books) {
            for (const origin of ['file', 'http']) {
                const name = path.basename(book);
                const url = (origin === 'file' ? pathToFileURL(path.resolve(book, 'index.html')).href
                    : `${base}${name}/index.html`) + '?flipms=400';
                (samples[`${name} ${origin}`] ||= []).push(await once(url));
            }
        }
    }
    server.close();
    const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
    for (const [key, list] of Object.entries(samples)) {
        const [book, origin] = key.split(' ');
        console.log(JSON.stringify({ book, origin, open: median(list.map((s) => s.open)),
            turn: median(list.map((s) => s.turned)), frame: median(list.map((s) => s.frame)) }));
    }
}

if (command === 'shot') await shot(rest[0], Number(rest[1]), rest[2]);
else if (command === 'times') await times(parseInt(rest[0], 10), rest.slice(1));
else console.error('usage: vector.mjs shot FILE WIDTH OUT.png | times RUNS BOOK...');
await browser.close();
