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
    execFileSync('python3', [path.join(repoRoot, 'tests', 'data', 'make_pdfs.py'), path.join(work, 'fixtures')]);
    placed = JSON.parse(execFileSync('python3', [path.join(repoRoot, 'tests', 'data', 'make_page_list.py'),
        path.join(work, 'edited'), '2'], { encoding: 'utf8' }));
    execFileSync(cli, ['publish', path.join(work, 'fixtures', 'links.pdf'), '-o', path.join(work, 'book'), '--pages', '1-2',
        '--page-list', path.join(work, 'edited', 'pages.xml')], { stdio: 'ignore' });
}
const env = browserAndServer(work, { before, after });

// Where each placed item of page n sits, as fractions of its page, and what it shows.
function itemsOnPage(page, n) {
    return page.evaluate((n) => {
        const pageEl = document.querySelector(`.lc-slot .lc-page[data-page="${n}"]`);
        const r = pageEl.getBoundingClientRect();
        const box = (e) => {
            const b = e.getBoundingClientRect();
            return [(b.left - r.left) / r.width, (b.top - r.top) / r.height, b.width / r.width, b.height / r.height];
        };
        const items = [...pageEl.querySelectorAll('.lc-placed')].map((e) => ({
            name: e.dataset.placed, box: box(e), text: e.textContent,
            img: e.querySelector('img') && { loaded: e.querySelector('img').naturalWidth > 0, alt: e.querySelector('img').alt },
            video: !!e.querySelector('video[controls]'),
            download: e.querySelector('a[download]')?.getAttribute('href') || null,
            button: !!e.querySelector('button'),
            href: e.querySelector('a:not([download])')?.href || null
        }));
        const links = [...pageEl.querySelectorAll('.lc-link-web')].map((a) => ({ href: a.href, box: box(a) }));
        return { items, links, markup: !!pageEl.querySelector('.lc-placed b, .lc-placed script') };
    }, n);
}

const near = (a, b) => b.every((v, i) => Math.abs(a[i] - v) < 0.015);

for (const origin of ['file', 'http']) {
    for (const viewport of [{ width: 1200, height: 800 }, { width: 390, height: 844 }]) {
        describe(`placed items over ${origin} at ${viewport.width}x${viewport.height}`, { skip: !cli && 'no leafcraft-cli' }, () => {
            test('each item is on its page at its place', async () => {
                const page = await env.browser.context.newPage();
                const errors = [];
                page.on('pageerror', (e) => errors.push(e.message));
                await page.setViewportSize(viewport);
                await page.goto(origin === 'file' ? pathToFileURL(path.join(work, 'book', 'index.html')).href + '?flipms=0'
                    : `${env.server.url}book/index.html?flipms=0`);
                await page.evaluate(() => window.LeafcraftBook.ready);
                for (const n of [1, 2]) {
                    await page.evaluate((n) => window.LeafcraftBook.goToPage(n), n);
                    await page.waitForFunction((n) => [...document.querySelectorAll(`.lc-slot .lc-page[data-page="${n}"] .lc-placed img`)]
                        .every((i) => i.complete), n);
                    const shown = await itemsOnPage(page, n);
                    const expected = placed.filter((p) => p.page === n);
                    const drawn = shown.items.concat(shown.links.map((l) => ({ name: 'Link', ...l })));
                    assert.equal(drawn.length, expected.length, JSON.stringify(drawn));
                    for (const p of expected) {
                        const it = drawn.find((d) => d.name === p.name && near(d.box, [p.x, p.y, p.width, p.height]));
                        assert.ok(it, `${p.name} ${p.href} on page ${n}: ${JSON.stringify(drawn)}`);
                        if (p.name === 'Image') assert.deepEqual(it.img, { loaded: true, alt: p.title || '' });
                        if (p.name === 'Video' && p.href.endsWith('.mp4')) assert.ok(it.video);
                        if (p.name === 'Video' && p.href.endsWith('.flv')) {
                            assert.match(it.text, /cannot be played in a browser/);
                            assert.equal(it.download, `files/${p.href}`);
                        }
                        if (p.name === 'Audio') assert.ok(it.button);
                        if (p.name === 'Swf') {
                            assert.ok(it.text.startsWith(p.title), it.text);
                            assert.equal(it.download, `files/${p.href}`);
                        }
                        if (p.name === 'Link') assert.equal(it.href, p.href);
                    }
                    assert.equal(shown.markup, false);
                }
                assert.deepEqual(errors, []);
                await page.close();
            });
        });
    }
}
