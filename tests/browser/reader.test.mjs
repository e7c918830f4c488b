// The reader's side of the player: language, page shapes, page text for screen readers, contents
// of left-out pages, zoom, print, the page box, and an accessibility check with axe-core.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { FIREFOX, browserAndServer, dragAndCopy, tempDir } from './helpers.mjs';
import { makeBook } from './make_book.mjs';

const axePath = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const work = tempDir('leafcraft-reader-test-');
const words = [[0.1, 0.1, 0.2, 0.05, 'Hello'], [0.35, 0.1, 0.25, 0.05, 'aardvark'], [0.1, 0.2, 0.3, 0.05, 'world']];
const book = (language) => ({
    pages: 12, language, zoomPictures: true, analyticsId: 'G-TEST1', textLanguage: 'en-GB',
    sizes: { 2: [420, 297], 3: [210, 297], 4: [148, 210], 5: [210, 297] },
    words: { 2: words },
    searchText: Array.from({ length: 12 }, (_, i) => `Words of page ${i + 1}.`),
    outline: [{ caption: 'Left out', page: 0, children: [{ caption: 'Kept', page: 5 }] }, { caption: 'Also gone', page: 0 }]
});
makeBook(path.join(work, 'en'), book(''));
makeBook(path.join(work, 'fr'), book('French'));
// A page that says its language itself, as published pages do, and a configuration that does not.
const de = makeBook(path.join(work, 'de'), book(''));
fs.writeFileSync(de, fs.readFileSync(de, 'utf8').replace(/<html lang="[^"]*"/, '<html lang="de"'));
makeBook(path.join(work, 'long'), { pages: 1002 });
makeBook(path.join(work, 'pano'), { pages: 6, template: 'Panoramic' });

const env = browserAndServer(work, { before, after });

async function open(name, { query = '?flipms=0', http = false, setup } = {}) {
    const page = await env.browser.context.newPage();
    if (setup) await setup(page);
    await page.goto((http ? `${env.server.url}${name}/index.html` : pathToFileURL(path.join(work, name, 'index.html')).href) + query);
    await page.evaluate(() => window.LeafcraftBook.ready.then(() => true));
    return page;
}
const boxOf = (page, n) => page.locator(`.lc-slot .lc-page[data-page="${n}"]`).boundingBox();

test('speaks the book\'s language and has no serious accessibility fault', async () => {
    for (const [name, lang, next, contents] of [['en', 'en', 'Next page', 'Table of contents'],
        ['fr', 'fr', 'Page suivante', 'Table des matières'], ['de', 'de', 'Nächste Seite', 'Inhaltsverzeichnis']]) {
        const page = await open(name);
        assert.equal(await page.evaluate(() => document.documentElement.lang), lang);
        assert.equal(await page.getAttribute('[data-lc-button="next"]', 'aria-label'), next);
        await page.addScriptTag({ path: axePath });
        const faults = async (where) => (await page.evaluate(() => axe.run({ resultTypes: ['violations'] })))
            .violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
            .map((v) => `${where}: ${v.id} ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
        const found = await faults('book');
        await page.evaluate(() => LeafcraftBook.goToPage(2));
        await page.click('[data-lc-button="Bookmark"]');
        assert.equal(await page.locator('.lc-panel h2').textContent(), contents);
        found.push(...await faults('contents'));
        assert.deepEqual(found, [], name);
        await page.close();
    }
});

test('draws each page in its own shape, against the spine', async () => {
    const page = await open('en');
    const ratio = (b) => b.width / b.height;
    for (const [left, right, lr, rr, heights] of [[2, 3, 420 / 297, 210 / 297, 1], [4, 5, 148 / 210, 210 / 297, 210 / 297]]) {
        await page.evaluate((n) => LeafcraftBook.goToPage(n), left);
        const [a, b] = [await boxOf(page, left), await boxOf(page, right)];
        assert.ok(Math.abs(ratio(a) - lr) < 0.02 && Math.abs(ratio(b) - rr) < 0.02, `pages ${left}-${right}: ${ratio(a)} ${ratio(b)}`);
        assert.ok(Math.abs(a.height / b.height - heights) < 0.02, 'sizes relative to each other');
        assert.ok(Math.abs(a.x + a.width - b.x) < 2, 'both pages meet at the spine');
        assert.ok(Math.abs((a.y + a.height / 2) - (b.y + b.height / 2)) < 2, 'centred in height');
        const edge = await page.locator('.lc-edge-left').boundingBox(); // along the left page, not its slot
        assert.ok(Math.abs(edge.height - a.height) < 3 && Math.abs(edge.x + edge.width - a.x) < 2, `edge ${JSON.stringify(edge)}`);
    }
    await page.close();
});

test('shows contents entries of left-out pages disabled and keeps their children', async () => {
    const page = await open('en');
    await page.click('[data-lc-button="Bookmark"]');
    const items = await page.locator('.lc-toc-item').evaluateAll((bs) => bs.map((b) => [b.textContent, b.disabled]));
    assert.deepEqual(items, [['Left out', true], ['Kept5', false], ['Also gone', true]]);
    await page.locator('.lc-toc-item', { hasText: 'Kept' }).click();
    assert.deepEqual(await page.evaluate(() => LeafcraftBook.visiblePages), [4, 5]);
    await page.close();
});

test('lays the page text over the page in reading order, to read, select and copy, and marks search hits on it', async () => {
    const page = await open('en');
    await page.evaluate(() => LeafcraftBook.goToPage(2));
    await page.waitForFunction(() => document.querySelectorAll('.lc-slot .lc-word').length === 3);
    const text = (n) => page.locator(`.lc-slot .lc-page[data-page="${n}"] .lc-page-text`).ariaSnapshot();
    assert.match(await text(2), /Hello aardvark world/);
    assert.equal(await page.getAttribute('.lc-page[data-page="2"] .lc-page-text', 'lang'), 'en-GB'); // the document's
    await page.waitForFunction(() => /page 3/.test(document.querySelector('.lc-page[data-page="3"] .lc-page-text').textContent));
    assert.match(await text(3), /Words of page 3\./, 'without a words file the search text is read');
    const word = (w) => page.locator('.lc-slot .lc-word', { hasText: w });
    assert.equal(await dragAndCopy(page, word('Hello'), word('world')), 'Hello aardvark\nworld', 'words and lines in reading order');
    let p2 = await boxOf(page, 2);
    // Past the line's end the selection keeps the end it had on its last word, in that word.
    const beside = await dragAndCopy(page, word('Hello'), { x: p2.x + p2.width * 0.8, y: p2.y + p2.height * 0.125 });
    assert.ok(/^Hello aard/.test(beside) && 'Hello aardvark'.startsWith(beside), beside);
    await page.click('[data-lc-button="Search"]');
    await page.fill('.lc-search-input', 'AARDVARK');
    await page.press('.lc-search-input', 'Enter');
    const hit = await page.locator('.lc-word.lc-hit').boundingBox();
    p2 = await boxOf(page, 2); // the search panel opens beside the book, which may move
    assert.equal((await page.locator('.lc-word.lc-hit').textContent()).trim(), 'aardvark');
    const at = [(hit.x - p2.x) / p2.width, (hit.y - p2.y) / p2.height, hit.width / p2.width, hit.height / p2.height];
    [0.35, 0.1, 0.25, 0.05].forEach((v, i) => assert.ok(Math.abs(at[i] - v) < 0.006, `the mark covers the word: ${at}`));
    await page.click('[data-lc-button="Zoom"]');
    assert.equal((await page.locator('.lc-zoom .lc-word.lc-hit').textContent()).trim(), 'aardvark', 'the zoomed page has its words too');
    await page.close();
});

test('keeps every tool inside the bar at every width, the "More" menu taking over in time', async () => {
    const page = await open('en');
    for (const width of [420, 600, 640, 700, 760, 761, 800, 1024]) {
        await page.setViewportSize({ width, height: 700 });
        const cut = await page.evaluate(() => {
            const bar = document.querySelector('.lc-toolbar').getBoundingClientRect();
            return [...document.querySelectorAll('.lc-toolbar button')].filter((b) => b.offsetParent)
                .filter((b) => { const r = b.getBoundingClientRect(); return r.left < bar.left - 1 || r.right > bar.right + 1; })
                .map((b) => b.getAttribute('data-lc-button'));
        });
        assert.deepEqual(cut, [], `${width} px`);
    }
    await page.close();
});

test('zooms into the large pictures and stops where they run out of pixels', async () => {
    const page = await open('en', { setup: (p) => p.setViewportSize({ width: 900, height: 500 }) });
    await page.click('[data-lc-button="Zoom"]');
    await page.waitForFunction(() => [...document.querySelectorAll('.lc-zoom-img')].every((i) => i.complete));
    assert.match(await page.getAttribute('.lc-zoom-img', 'src'), /files\/zoom\/1\.jpg$/);
    const zoomIn = page.locator('.lc-zoom-tools button').first();
    for (let i = 0; i < 3 && await zoomIn.isEnabled(); i++) await zoomIn.click();
    const fit = await page.evaluate(() => {
        const img = document.querySelector('.lc-zoom-img');
        return img.getBoundingClientRect().width * devicePixelRatio / img.naturalWidth;
    });
    assert.ok(await zoomIn.isDisabled(), 'the last step is reached');
    assert.ok(fit <= 1.06, `the picture is not blown up past its pixels (${fit})`);
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('.lc-zoom').count(), 0);
    await page.close();
});

test('prints the open pages on Ctrl+P, fits a four-digit spread in the page box, opens without sliding', async () => {
    const page = await open('long', { query: '?flipms=650' });
    assert.equal(await page.evaluate(() => document.querySelector('.lc-book').getAnimations().length), 0);
    await page.evaluate(() => { window.print = () => { window.printed = document.querySelectorAll('.lc-print img').length; }; });
    await page.evaluate(() => LeafcraftBook.goToPage(1000));
    await page.keyboard.press('Control+P');
    await page.waitForFunction(() => window.printed !== undefined);
    assert.equal(await page.evaluate(() => window.printed), 2);
    const box = await page.evaluate(() => {
        const i = document.querySelector('.lc-page-input');
        return [i.value, i.scrollWidth <= i.clientWidth];
    });
    assert.deepEqual(box, ['1000-1001', true]);
    await page.close();
});

test('turns without animation for readers who ask for less motion', async (t) => {
    if (FIREFOX) return t.skip('Firefox over BiDi does not emulate prefers-reduced-motion');
    const page = await open('en', { query: '', setup: (p) => p.emulateMedia({ reducedMotion: 'reduce' }) });
    await page.evaluate(() => { LeafcraftBook.next(); window.leaf = !!document.querySelector('.lc-leaf'); });
    assert.equal(await page.evaluate(() => window.leaf), false);
    await page.close();
});

test('loads the analytics tag only over http(s)', async () => {
    for (const http of [false, true]) {
        const page = await open('en', { http });
        const tags = await page.evaluate(() => document.querySelectorAll('script[src*="googletagmanager"]').length);
        assert.equal(tags, http ? 1 : 0, http ? 'http' : 'file');
        await page.close();
    }
});

test('turns the Panoramic cube by a drag beside the book, and draws nothing while idle', async () => {
    const page = await open('pano', { query: '?flipms=650' });
    await page.waitForSelector('.lc-cube', { state: 'attached' });
    await page.waitForTimeout(2700); // the cube settles to eye level, then should stand still
    const cube = () => page.evaluate(() => document.querySelector('.lc-cube').style.transform);
    const idle = await page.evaluate(() => new Promise((resolve) => {
        let changes = 0;
        new MutationObserver(() => changes++).observe(document.querySelector('.lc-cube'), { attributes: true });
        setTimeout(() => resolve(changes), 500);
    }));
    assert.equal(idle, 0);
    const before = await cube();
    await page.mouse.move(60, 400);
    await page.mouse.down();
    await page.mouse.move(260, 420, { steps: 5 });
    await page.mouse.up();
    assert.notEqual(await cube(), before);
    assert.deepEqual(await page.evaluate(() => LeafcraftBook.visiblePages), [1], 'the drag turned no page');
    await page.close();
});
