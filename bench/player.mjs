// Times of the book player in headless Chromium, ours against a peer player (the one before the
// current work, copied into the same books): the first page painted (LeafcraftBook.ready) for a
// long and a short book opened from disk, and a jump from the first page to page 1000 of the long
// book until both pages of the spread are painted. Each run uses a fresh browser context (empty
// cache); medians are reported.
//
// Usage: node bench/player.mjs <runs> <ours long.html> <ours short.html> <peer long.html> <peer short.html>
import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';

const [runsArg, oursLong, oursShort, peerLong, peerShort] = process.argv.slice(2);
const runs = parseInt(runsArg || '7', 10);
const browser = await chromium.launch({
    executablePath: process.env.LEAFCRAFT_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync']
});

const JUMP_TO = 1000;

// Milliseconds from the jump's call until no leaf is turning and every picture of the open pages
// is decoded, plus one frame.
function jump(to) {
    const t0 = performance.now();
    return window.LeafcraftBook.goToPage(to).then(() => new Promise((resolve) => {
        const check = () => {
            const imgs = [...document.querySelectorAll('.lc-slot .lc-page-img')];
            const done = !document.querySelector('.lc-leaf') && imgs.length &&
                imgs.every((i) => i.complete && i.naturalWidth);
            if (!done) return requestAnimationFrame(check);
            Promise.all(imgs.map((i) => i.decode().catch(() => {}))).then(() =>
                requestAnimationFrame(() => resolve(performance.now() - t0)));
        };
        check();
    }));
}

async function measure(html, withJump) {
    const opened = [], jumped = [];
    let pages = 0;
    for (let i = 0; i < runs; i++) {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        const page = await context.newPage();
        await page.goto(pathToFileURL(html).href);
        opened.push(await page.evaluate(() => window.LeafcraftBook.ready.then(() => window.LeafcraftBook.readyTime)));
        pages = await page.evaluate(() => window.LeafcraftBook.pageCount);
        if (withJump) jumped.push(await page.evaluate(jump, JUMP_TO));
        await context.close();
    }
    const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
    return { pages, open: median(opened), jump: withJump ? median(jumped) : 0 };
}

const ours = { long: await measure(oursLong, true), short: await measure(oursShort, false) };
const peer = { long: await measure(peerLong, true), short: await measure(peerShort, false) };
await browser.close();

const s = (ms) => `${(ms / 1000).toFixed(3)} s`;
const ratio = (a, b) => (a / b).toFixed(2);
console.log(`median of ${runs} runs; peer: the player before this work, in the same books`);
for (const which of ['long', 'short']) {
    console.log(`first page, ${which} book (${ours[which].pages} pages): ours ${s(ours[which].open)}, ` +
        `peer ${s(peer[which].open)}, ratio ours/peer ${ratio(ours[which].open, peer[which].open)}  ` +
        `target 1.000 s: ${ours[which].open <= 1000 ? 'met' : 'MISSED'}`);
}
console.log(`jump to page ${JUMP_TO} of ${ours.long.pages}: ours ${Math.round(ours.long.jump)} ms, ` +
    `peer ${Math.round(peer.long.jump)} ms, ratio ours/peer ${ratio(ours.long.jump, peer.long.jump)}  ` +
    `target 400 ms: ${ours.long.jump <= 400 ? 'met' : 'MISSED'}`);
