// The page editor's placed items in a published book: a book published by leafcraft-cli with
// --page-list (tests/data/make_page_list.py: one item of each kind on page 1, a picture on the
// last page) shows each item on its page at its place, from disk and from a web server, at
// desktop and phone sizes, and no value turns into markup.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { browserAndServer, tempDir } from './helpers.mjs';
import { repoRoot } from './make_book.mjs';
import { findCli } from './published_books.mjs';

const cli = findCli();
const work = tempDir('leafcraft-placed-test-');
let placed = [];
if (cli) {
    execFileSync('python3', [path.join(repoRoot, 'tests', 'data', 'make_fixtures.py'), path.join(work, 'fixtures')]);
    placed = JSON.parse(execFileSync('python3', [path.join(repoRoot, 'tests', 'data', 'make_page_list.py'),
        path.join(work, 'edited'), '2'], { encoding: 'utf8' }));
    for (const [book, extra] of [['book', []], ['flip', ['--mobile', 'flip']], ['slide', ['--mobile', 'slide']]]) {
        execFileSync(cli, ['publish', path.join(work, 'fixtures', 'links.pdf'), '-o', path.join(work, book), '--pages', '1-2',
            '--page-list', path.join(work, 'edited', 'pages.xml'), ...extra], { stdio: 'ignore' });
    }
}
// The book player at two sizes, and both phone versions.
const READERS = [
    { name: 'book player', page: 'book/index.html', viewport: { width: 1200, height: 800 } },
    { name: 'book player', page: 'book/index.html', viewport: { width: 390, height: 844 } },
    { name: 'page-turning phone version', page: 'flip/mobile/index.html', viewport: { width: 390, height: 844 }, phone: true },
    { name: 'slide phone version', page: 'slide/mobile/index.html', viewport: { width: 390, height: 844 }, phone: true }
];
const env = browserAndServer(work, { before, after });

// Where each placed item of page n sits, as fractions of the page it lies on, and what it shows.
// A phone version may hold its neighbours' items too: all drawn items are listed.
function itemsOnPage(page, n, phone) {
    return page.evaluate(([n, phone]) => {
        const pageEl = phone ? document.body : document.querySelector(`.lc-slot .lc-page[data-page="${n}"]`);
        const box = (e, holder = e.parentElement) => {
            const r = holder.getBoundingClientRect(), b = e.getBoundingClientRect();
            return [(b.left - r.left) / r.width, (b.top - r.top) / r.height, b.width / r.width, b.height / r.height];
        };
        const items = [...pageEl.querySelectorAll('.lc-placed')].map((e) => ({
            name: e.dataset.placed, box: box(e), text: e.textContent,
            img: e.querySelector('img') && { loaded: e.querySelector('img').naturalWidth > 0, alt: e.querySelector('img').alt },
            download: e.querySelector('a[download]')?.getAttribute('href') || null,
            button: !!e.querySelector('button'),
            href: e.querySelector('a:not([download])')?.href || null
        }));
        const links = [...pageEl.querySelectorAll(phone ? 'a.link' : '.lc-link-web')].map((a) => ({ href: a.href, box: box(a),
            title: a.title }));
        return { items, links, markup: !!pageEl.querySelector('.lc-placed b, .lc-placed script') };
    }, [n, phone]);
}

const near = (a, b) => b.every((v, i) => Math.abs(a[i] - v) < 0.015);

for (const origin of ['file', 'http']) {
    for (const reader of READERS) {
        const { viewport, phone } = reader;
        describe(`placed items in the ${reader.name} over ${origin} at ${viewport.width}x${viewport.height}`,
            { skip: !cli && 'no leafcraft-cli' }, () => {
            test('each item is on its page at its place', async () => {
                const page = await env.browser.context.newPage();
                const errors = [];
                page.on('pageerror', (e) => errors.push(e.message));
                await page.setViewportSize(viewport);
                await page.goto(origin === 'file' ? pathToFileURL(path.join(work, reader.page)).href + '?flipms=0'
                    : `${env.server.url}${reader.page}?flipms=0`);
                await page.evaluate(() => window.LeafcraftBook.ready);
                for (const n of [1, 2]) {
                    await page.evaluate((n) => window.LeafcraftBook.goToPage(n), n);
                    await page.waitForFunction(() => [...document.querySelectorAll('.lc-placed img')].every((i) => i.complete)
                        && !document.querySelector('.lc-placed video')); // the fixture's movies do not play
                    const shown = await itemsOnPage(page, n, phone);
                    const expected = placed.filter((p) => p.page === n);
                    const drawn = shown.items.concat(shown.links.map((l) => ({ name: 'Link', ...l })));
                    if (!phone) assert.equal(drawn.length, expected.length, JSON.stringify(drawn));
                    const files = phone ? '../files/' : 'files/';
                    for (const p of expected) {
                        const it = drawn.find((d) => d.name === p.name && near(d.box, [p.x, p.y, p.width, p.height]));
                        assert.ok(it, `${p.name} ${p.href} on page ${n}: ${JSON.stringify(drawn)}`);
                        if (p.name === 'Image') assert.deepEqual(it.img, { loaded: true, alt: p.title || '' });
                        if (p.name === 'Video') { // an MP4 the browser cannot play too
                            assert.match(it.text, /cannot be played in a browser/);
                            assert.equal(it.download, files + p.href);
                        }
                        if (p.name === 'Audio') assert.ok(it.button);
                        if (p.name === 'Swf') {
                            assert.ok(it.text.startsWith(p.title), it.text);
                            assert.equal(it.download, files + p.href);
                        }
                        if (p.name === 'Link') assert.deepEqual([it.href, it.title], [p.href, p.title]); // its tooltip
                    }
                    assert.equal(shown.markup, false);
                }
                if (!phone) { // the zoom view shows them too
                    await page.evaluate(() => document.querySelector('[data-lc-button="Zoom"]').click());
                    assert.ok(await page.locator('.lc-zoom .lc-placed').count() >= 1);
                }
                assert.deepEqual(errors, []);
                await page.close();
            });
        });
    }
}
