// Time from navigation start to the first page painted (LeafcraftBook.ready), in headless
// Chromium, for a long and a short book opened from disk. Each run uses a fresh browser context
// (empty cache); the median of the runs is reported.
import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';

const [longBook, shortBook, runsArg] = process.argv.slice(2);
const runs = parseInt(runsArg || '7', 10);
const browser = await chromium.launch({
    executablePath: process.env.LEAFCRAFT_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync']
});

async function measure(html) {
    const times = [];
    for (let i = 0; i < runs; i++) {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        const page = await context.newPage();
        await page.goto(pathToFileURL(html).href);
        const t = await page.evaluate(() => window.LeafcraftBook.ready.then(() => window.LeafcraftBook.readyTime));
        const count = await page.evaluate(() => window.LeafcraftBook.pageCount);
        times.push({ t, count });
        await context.close();
    }
    const sorted = times.map((x) => x.t).sort((a, b) => a - b);
    return { median: sorted[Math.floor(sorted.length / 2)], min: sorted[0], max: sorted[sorted.length - 1], pages: times[0].count };
}

const long = await measure(longBook);
const short = await measure(shortBook);
await browser.close();
const line = (name, r) => `${name}: ${r.pages} pages, first page painted in ${(r.median / 1000).toFixed(3)} s ` +
    `(median of ${runs}; ${(r.min / 1000).toFixed(3)}-${(r.max / 1000).toFixed(3)} s)  target 1.000 s: ${r.median <= 1000 ? 'met' : 'MISSED'}`;
console.log(line('long book ', long));
console.log(line('short book', short));
console.log(`ratio long/short: ${(long.median / short.median).toFixed(2)} (1.00 = the long book opens as fast as the short one)`);
