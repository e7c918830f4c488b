// Browser tests of the book player: each case runs against books opened from disk (file://) and
// from a loopback web server.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { FIREFOX, browserAndServer, dragAndCopy, phraseAt, tempDir } from './helpers.mjs';
import { makeBook } from './make_book.mjs';
import { HOSTILE_TITLE, publishedBooks } from './published_books.mjs';

const work = tempDir('leafcraft-player-test-');
const books = await publishedBooks(work);
process.stderr.write(`player tests: books ${books.source}\n`);

// A book that turns its own pages once, every second; a book whose configuration is damaged.
makeBook(path.join(work, 'auto'), { pages: 4, settings: { AutoFlip: true, Interval: 1, AutoFlipLoop: 0 } });
makeBook(path.join(work, 'broken'), { pages: 3 });
makeBook(path.join(work, 'long'), { pages: 300 });
fs.writeFileSync(path.join(work, 'broken', 'files', 'config.js'),
    'window.LeafcraftConfigXML = "<?xml version=\\"1.0\\"?><data><![CDATA[bm90IGEgYm9vaw==]]></data>";\n');

const env = browserAndServer(work, { before, after });

for (const origin of ['file', 'http']) {
    const urlOf = (book, query = '?flipms=0') => (origin === 'file'
        ? pathToFileURL(path.join(work, book, 'index.html')).href
        : `${env.server.url}${book}/index.html`) + query;

    async function open(book, { query, viewport } = {}) {
        const page = await env.browser.context.newPage();
        const errors = [];
        page.on('pageerror', (e) => errors.push(e.message));
        if (viewport) await page.setViewportSize(viewport);
        await page.goto(urlOf(book, query));
        await page.evaluate(() => window.LeafcraftBook.ready.then(() => true));
        page.errors = errors;
        return page;
    }
    const visible = (page) => page.evaluate(() => window.LeafcraftBook.visiblePages);
    const slots = (page) => page.evaluate(() => ['.lc-slot-left', '.lc-slot-right'].map((s) =>
        Number(document.querySelector(s + ' .lc-page')?.dataset.page || 0)));

    // A finger moving across the stage by dx pixels.
    const swipe = (page, dx) => page.evaluate((d) => {
        const stage = document.querySelector('.lc-stage');
        const r = stage.getBoundingClientRect();
        const x = r.left + r.width / 2, y = r.top + r.height / 2;
        const fire = (type, px) => stage.dispatchEvent(new PointerEvent(type, {
            clientX: px, clientY: y, bubbles: true, pointerType: 'touch', isPrimary: true }));
        fire('pointerdown', x - d / 2);
        fire('pointerup', x + d / 2);
    }, dx);

    describe(`book opened over ${origin}`, () => {
        test('paints the first page, reports the book and takes its settings', async () => {
            const page = await open(books.ltr);
            const state = await page.evaluate(() => {
                const img = document.querySelector('.lc-slot .lc-page[data-page="1"] img');
                const r = img.getBoundingClientRect();
                return { count: LeafcraftBook.pageCount, current: LeafcraftBook.currentPage, complete: img.complete,
                    natural: img.naturalWidth, w: r.width, h: r.height, inView: r.top >= 0 && r.bottom <= innerHeight };
            });
            assert.equal(state.count, books.pageCount);
            assert.equal(state.current, 1);
            assert.ok(state.complete && state.natural > 0, 'the page picture is loaded');
            assert.ok(state.w > 100 && state.h > 100 && state.inView, 'the page is shown in the window');
            // The title holding markup is text; the book's hidden buttons are hidden, its colours taken.
            assert.equal(await page.locator('.lc-title').textContent(), HOSTILE_TITLE);
            assert.equal(await page.evaluate(() => window.__pwned), undefined);
            assert.equal(await page.evaluate(() => document.querySelectorAll('#leafcraft-book script, .lc-toc b').length), 0);
            assert.equal(await page.locator('.lc-toolbar').evaluate((e) => getComputedStyle(e).backgroundColor), books.baseColor);
            for (const key of ['Print', 'Share', 'Zoom', 'Thumbnail', 'Bookmark']) {
                assert.equal(await page.locator(`[data-lc-button="${key}"]`).isVisible(), !['Print', 'Share'].includes(key), key);
            }
            await page.evaluate(() => { window.print = () => { window.__printed = true; }; });
            await page.keyboard.press('Control+P'); // nor does Ctrl+P print a book that hides printing
            await page.waitForTimeout(500); // printing waits for the pictures first
            assert.equal(await page.evaluate(() => window.__printed), undefined);
            assert.deepEqual(page.errors, []);
            await page.close();
        });

        test('shows drawn (SVG) pages and zooms them to the last step', async () => {
            const page = await open(books.svg);
            const shown = () => page.evaluate(() => [...document.querySelectorAll('.lc-slot .lc-page img')]
                .map((i) => [i.getAttribute('src'), i.complete && i.naturalWidth > 0]));
            await page.waitForFunction(() => [...document.querySelectorAll('.lc-slot .lc-page img')].every((i) => i.complete));
            assert.deepEqual(await shown(), [['files/page/1.svg', true]]);
            await page.evaluate(() => LeafcraftBook.goToPage(2));
            await page.waitForFunction(() => [...document.querySelectorAll('.lc-slot .lc-page img')].every((i) => i.complete));
            assert.deepEqual(await shown(), [['files/page/2.svg', true], ['files/page/3.svg', true]]);
            // Pages near the open ones are painted once into bitmaps of their shown size; the next
            // pages shown show those.
            await page.waitForTimeout(1000);
            await page.evaluate(() => LeafcraftBook.goToPage(4));
            const rasters = await page.evaluate(() => [...document.querySelectorAll('.lc-slot .lc-page')].map((p) => {
                const c = p.querySelector('canvas.lc-page-raster');
                return c ? Math.abs(c.width - p.getBoundingClientRect().width * devicePixelRatio) < 2 : 'no bitmap';
            }));
            assert.deepEqual(rasters, [true, true]);
            // Every zoom step is open to a drawing, however few pixels its own size has.
            await page.click('[data-lc-button="Zoom"]');
            const zoomIn = page.locator('.lc-zoom-tools button').first();
            for (let i = 0; i < 2; i++) await zoomIn.click();
            assert.ok(await zoomIn.isDisabled());
            const over = await page.evaluate(() => {
                const img = document.querySelector('.lc-zoom-img');
                return img.getBoundingClientRect().width * devicePixelRatio / img.naturalWidth;
            });
            assert.ok(over > 1.2, `shown at ${over} times its own size`);
            assert.deepEqual(page.errors, []);
            await page.close();
        });

        test('flips forward and back with the API, the keyboard and clicks', async () => {
            const page = await open(books.ltr);
            assert.deepEqual(await slots(page), [0, 1], 'the cover stands alone on the right');
            await page.evaluate(() => LeafcraftBook.next());
            assert.deepEqual(await slots(page), [2, 3]);
            assert.equal(await page.evaluate(() => LeafcraftBook.currentPage), 2);
            await page.keyboard.press('ArrowRight');
            assert.deepEqual(await visible(page), [4, 5]);
            await page.keyboard.press('ArrowLeft');
            assert.deepEqual(await visible(page), [2, 3]);
            await page.evaluate(() => LeafcraftBook.prev());
            assert.deepEqual(await slots(page), [0, 1]);
            await page.keyboard.press('End');
            assert.ok((await visible(page)).includes(books.pageCount));
            await page.keyboard.press('Home');
            assert.deepEqual(await visible(page), [1]);
            await page.click('[data-lc-button="next"]');
            assert.deepEqual(await visible(page), [2, 3]);
            const box = await page.locator('.lc-book').boundingBox();
            await page.mouse.click(box.x + 4, box.y + box.height / 2);
            assert.deepEqual(await visible(page), [1], 'a click on the left page (beside its words) turns back');
            await page.close();
        });

        test('lists every page as a thumbnail and jumps to a chosen one', async () => {
            const page = await open(books.ltr);
            await page.click('[data-lc-button="Thumbnail"]');
            assert.equal(await page.locator('.lc-thumb').count(), books.pageCount);
            await page.locator('.lc-thumb[data-page="4"]').click();
            assert.deepEqual(await visible(page), [4, 5]);
            assert.equal(await page.evaluate(() => document.querySelectorAll('.lc-thumb.lc-current').length), 2);
            await page.keyboard.press('Escape');
            assert.equal(await page.locator('.lc-panel').isVisible(), false);
            await page.close();
        });

        test('puts a web link where the PDF has it, with its address', async () => {
            const page = await open(books.ltr);
            await page.evaluate((n) => LeafcraftBook.goToPage(n), books.linkPage);
            const link = page.locator(`.lc-slot .lc-page[data-page="${books.linkPage}"] a.lc-link-web`);
            assert.equal(await link.count(), 1, 'one web link; the javascript: one is dropped');
            assert.equal(await link.getAttribute('href'), books.webLink.href);
            const pageBox = await page.locator(`.lc-slot .lc-page[data-page="${books.linkPage}"]`).boundingBox();
            const box = await link.boundingBox();
            const rel = [(box.x - pageBox.x) / pageBox.width, (box.y - pageBox.y) / pageBox.height,
                box.width / pageBox.width, box.height / pageBox.height];
            const want = [books.webLink.x, books.webLink.y, books.webLink.width, books.webLink.height];
            rel.forEach((v, i) => assert.ok(Math.abs(v - want[i]) < 0.01, `link box ${rel} is ${want}`));
            await page.close();
        });

        test('jumps from a bookmark and from a page link', async () => {
            const page = await open(books.ltr);
            await page.click('[data-lc-button="Bookmark"]');
            const captions = await page.locator('.lc-toc-caption').allTextContents();
            assert.deepEqual(captions, books.outlineCaptions);
            await page.locator('.lc-toc-item', { hasText: books.bookmark.caption }).click();
            assert.ok((await visible(page)).includes(books.bookmark.page));
            const [panel, book] = [await page.locator('.lc-panel').boundingBox(), await page.locator('.lc-book').boundingBox()];
            assert.ok(panel.x + panel.width <= book.x, 'the contents open beside the book, not over it');
            await page.keyboard.press('Escape');
            await page.evaluate((n) => LeafcraftBook.goToPage(n), books.linkPage);
            // A mouse drag within a web link turns the page and opens nothing.
            const before = await visible(page), popups = [];
            page.on('popup', (p) => popups.push(p.url()));
            const b = await page.locator(`.lc-slot .lc-page[data-page="${books.linkPage}"] a.lc-link-web`).boundingBox();
            await page.mouse.move(b.x + b.width * 0.9, b.y + b.height / 2);
            await page.mouse.down();
            await page.mouse.move(b.x + b.width * 0.1, b.y + b.height / 2, { steps: 6 });
            await page.mouse.up();
            await page.waitForFunction((v) => LeafcraftBook.visiblePages.join() !== v, before.join());
            await page.waitForTimeout(300);
            assert.deepEqual(popups, []);
            await page.evaluate((n) => LeafcraftBook.goToPage(n), books.linkPage);
            const pageLink = page.locator(`.lc-slot .lc-page[data-page="${books.linkPage}"] a.lc-link-page`);
            await page.waitForFunction(() => document.querySelector('.lc-slot a.lc-link-page[aria-label]'));
            assert.notEqual(await pageLink.getAttribute('aria-label'), await pageLink.getAttribute('title')); // its words
            await pageLink.click();
            assert.ok((await visible(page)).includes(books.pageLinkTarget));
            await page.close();
        });

        test('keeps the focus in an open dialog', async () => {
            const page = await open(books.ltr);
            await page.click('[data-lc-button="Help"]');
            for (let i = 0; i < 4; i++) await page.keyboard.press(i % 2 ? 'Shift+Tab' : 'Tab');
            for (let i = 0; i < 3; i++) await page.keyboard.press('Tab');
            assert.ok(await page.evaluate(() => !!document.activeElement.closest('.lc-dialog')));
            await page.close();
        });

        test('finds a word on its page', async () => {
            const page = await open(books.ltr);
            assert.deepEqual(await page.evaluate((w) => LeafcraftBook.search(w), books.searchWord), [books.searchPage]);
            assert.deepEqual(await page.evaluate(() => LeafcraftBook.search('no such word anywhere')), []);
            await page.click('[data-lc-button="Search"]');
            await page.fill('.lc-search-input', books.searchWord.toUpperCase());
            await page.press('.lc-search-input', 'Enter');
            await page.locator(`.lc-result[data-page="${books.searchPage}"]`).click();
            assert.ok((await visible(page)).includes(books.searchPage));
            // The word is marked on its page until the search closes.
            await page.waitForFunction(() => document.querySelectorAll('.lc-slot .lc-hit').length > 0);
            await page.click('.lc-panel .lc-close');
            assert.equal(await page.locator('.lc-slot .lc-hit').count(), 0);
            await page.close();
        });

        test('lets a reader select, copy and find the words where they stand, and still turns the page', async () => {
            const page = await open(books.ltr);
            const n = books.searchPage;
            await page.evaluate((p) => LeafcraftBook.goToPage(p), n);
            const shown = await visible(page);
            const spans = page.locator(`.lc-slot .lc-page[data-page="${n}"] .lc-word`);
            await spans.first().waitFor();
            const { index, texts } = await phraseAt(spans, books.searchWord);
            assert.ok(index >= 0, `the words "${books.searchWord}" side by side on page ${n}`);
            assert.equal(await dragAndCopy(page, spans.nth(index), spans.nth(index + 1)), texts.join(' '));
            assert.equal(await dragAndCopy(page, spans.nth(index), spans.nth(index)), texts[0]);
            assert.deepEqual(await visible(page), shown, 'a drag over the words selects them and turns no page');
            const found = await page.evaluate((w) => {
                getSelection().removeAllRanges();
                return window.find(w) && getSelection().anchorNode.parentElement.closest('.lc-slot .lc-word')?.textContent.trim();
            }, texts[1]);
            assert.equal(found, texts[1], 'the browser\'s find finds the word on the page');
            const box = await page.locator('.lc-book').boundingBox();
            await page.mouse.click(box.x + box.width - 4, box.y + box.height - 4);
            assert.ok((await visible(page))[0] > shown[0], 'a click on the corner turns forward');
            await page.keyboard.press('ArrowLeft');
            assert.deepEqual(await visible(page), shown, 'the left arrow turns back');
            assert.deepEqual(page.errors, []);
            await page.close();
        });

        test('turns a right-to-left book the other way', async () => {
            const page = await open(books.rtl, { query: '?flipms=1500' });
            assert.deepEqual(await slots(page), [1, 0], 'the cover stands alone on the left');
            const turning = page.evaluate(() => LeafcraftBook.next());
            const leaf = await page.evaluate(() => document.querySelector('.lc-leaf')?.className);
            assert.match(leaf, /lc-leaf-left/, 'the leaf lifts from the left side');
            await turning;
            assert.deepEqual(await slots(page), [3, 2]);
            await page.keyboard.press('ArrowLeft');
            await page.waitForFunction(() => !document.querySelector('.lc-leaf'));
            assert.deepEqual(await slots(page), [5, 4], 'the left arrow reads on');
            await page.keyboard.press('ArrowRight');
            await page.waitForFunction(() => !document.querySelector('.lc-leaf'));
            assert.deepEqual(await slots(page), [3, 2], 'the right arrow reads back');
            await swipe(page, 150);
            await page.waitForFunction(() => !document.querySelector('.lc-leaf'));
            assert.deepEqual(await slots(page), [5, 4], 'a swipe to the right reads on');
            await page.close();
        });

        test('shows one page at a time on a narrow screen', async () => {
            const page = await open(books.ltr, { viewport: { width: 420, height: 760 } });
            assert.deepEqual(await visible(page), [1]);
            await page.evaluate(() => LeafcraftBook.next());
            assert.deepEqual(await visible(page), [2]);
            assert.equal(await page.locator('.lc-slot-left').isVisible(), false);
            await swipe(page, -150);
            assert.deepEqual(await visible(page), [3], 'a swipe to the left turns forward');
            await swipe(page, 150);
            assert.deepEqual(await visible(page), [2]);
            await page.close();
        });

        test('turns the pages by itself when the book asks, and stops at the end', async () => {
            const page = await open('auto');
            assert.equal(await page.getAttribute('[data-lc-button="AutoPlay"]', 'aria-pressed'), 'true');
            await page.waitForFunction(() => window.LeafcraftBook.visiblePages.includes(4), null, { timeout: 10000 });
            await page.waitForFunction(() =>
                document.querySelector('[data-lc-button="AutoPlay"]').getAttribute('aria-pressed') === 'false', null, { timeout: 5000 });
            assert.deepEqual(await visible(page), [4], 'no loop: it stays on the last page');
            await page.close();
        });

        test('loads only the pictures near the open pages of a long book', async (t) => {
            if (FIREFOX && origin === 'file') return t.skip('Firefox over BiDi reports no requests of file:// pictures');
            const page = await env.browser.context.newPage();
            const pictures = [];
            page.on('request', (r) => {
                const m = /files\/(page|thumb)\/(\d+)\.jpg$/.exec(r.url());
                if (m) pictures.push(`${m[1]}/${m[2]}`);
            });
            await page.goto(urlOf('long'));
            await page.evaluate(() => window.LeafcraftBook.ready.then(() => true));
            await page.waitForTimeout(200);
            assert.ok(pictures.length > 0 && pictures.length <= 8, `pictures loaded at start: ${pictures}`);
            assert.ok(pictures.every((p) => p.startsWith('page/')), 'no thumbnail before the panel opens');
            assert.ok(pictures.includes('page/2') && pictures.includes('page/3'), 'the next spread is preloaded');
            await page.evaluate(() => LeafcraftBook.goToPage(150));
            await page.waitForTimeout(200);
            assert.ok(pictures.includes('page/151'), 'the pages around a jump load');
            assert.ok(pictures.length <= 20, `pictures loaded after a jump: ${pictures.length}`);
            await page.close();
        });

        test('explains a damaged book instead of showing nothing', async () => {
            const page = await env.browser.context.newPage();
            await page.goto(urlOf('broken'));
            const outcome = await page.evaluate(() => window.LeafcraftBook.ready.then(() => 'opened', (e) => e.message));
            assert.match(outcome, /archive|damaged/);
            assert.match(await page.locator('.lc-fatal').textContent(), /cannot be opened/);
            await page.close();
        });
    });
}
