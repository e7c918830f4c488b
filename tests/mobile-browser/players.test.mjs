// The book on a phone: both phone versions and the book page in Chromium's phone emulation
// (390 x 844, touch, device scale 3), from disk and from a loopback web server. The books are
// published by leafcraft-cli from the fixture links.pdf, whose links, bookmarks and text
// (links.json, pdftotext) are what the tests expect.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';
import { png } from '../browser/make_book.mjs';
import { CHROMIUM, dragAndCopy, phraseAt, startServer } from '../browser/helpers.mjs';
import { findCli, flatten, uniquePhrase } from '../browser/published_books.mjs';

const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const PHONE = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const HOSTILE = 'Tom\'s "Book" </script><script>window.__pwned=1</script> <img src=x onerror="window.__pwned=2">';
const RTL_TITLE = 'Read from the right';
const cli = findCli();
const axePath = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

let chromium = null;
try {
    ({ chromium } = await import('playwright-core'));
} catch { /* reported by the skip below */ }
// The books come from leafcraft-cli: without it the tests fail rather than skip.
if (!cli) throw new Error('leafcraft-cli is not built: run these tests through ctest after the build');
const skip = !chromium ? 'playwright-core is not installed (npm ci)'
    : !fs.existsSync(CHROMIUM) ? `no Chromium at ${CHROMIUM}` : false;

let work, context, profile, server, facts, found;

before(async () => {
    if (skip) return;
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'leafcraft-phone-'));
    execFileSync('python3', ['tests/data/make_fixtures.py', path.join(work, 'pdf')], { stdio: 'ignore' });
    const pdf = path.join(work, 'pdf', 'links.pdf');
    facts = JSON.parse(fs.readFileSync(path.join(work, 'pdf', 'links.json'), 'utf8'));
    found = uniquePhrase(pdf, facts.pageCount);
    const logo = path.join(work, 'logo.png');
    fs.writeFileSync(logo, png(64, 32, (x) => (x < 32 ? [200, 30, 30] : [30, 30, 200])));
    const publish = (name, ...extra) => execFileSync(cli, ['publish', pdf, '-o', path.join(work, name),
        '--set', `Title=${HOSTILE}`, '--set', `LogoFile=${logo}`, '--set', 'link=javascript:window.__pwned=3',
        '--set', 'BaseColor=0x804000', ...extra], { stdio: ['ignore', 'pipe', 'inherit'], env: { ...process.env, HOME: work } });
    publish('flip', '--mobile', 'flip');
    publish('slide', '--mobile', 'slide', '--set', 'bookTitle=Slides', '--set', 'languageSetting=French');
    // Right to left, titled on the command line only: the phone pages show that title.
    for (const kind of ['flip', 'slide']) {
        execFileSync(cli, ['publish', pdf, '-o', path.join(work, `${kind}Rtl`), '--title', RTL_TITLE, '--mobile', kind,
            '--set', 'direction=Left', '--pages', '1-3', '--set', 'Thumbnail=Hide', '--set', 'Share=Hide'],
        { stdio: ['ignore', 'pipe', 'inherit'], env: { ...process.env, HOME: work } });
    }
    publish('flipSvg', '--mobile', 'flip', '--format', 'svg', '--pages', '1-3');
    publish('slideSvg', '--mobile', 'slide', '--format', 'svg', '--pages', '1-3');
    profile = fs.mkdtempSync(path.join(os.tmpdir(), 'leafcraft-chromium-'));
    context = await chromium.launchPersistentContext(profile, { executablePath: CHROMIUM, headless: true, args: ARGS, ...PHONE });
    server = await startServer(work);
});

after(async () => {
    if (context) await context.close();
    if (server) await server.close();
    for (const dir of [profile, work]) if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

const url = (origin, book, file) => (origin === 'file' ? pathToFileURL(path.join(work, book, file)).href
    : `${server.url}${book}/${file}`);

// Opens a page; returns it with the list of problems it reported and the files it asked for.
async function open(address, readyCheck = () => window.LeafcraftBook && window.LeafcraftBook.ready) {
    const page = await context.newPage();
    const problems = [], requested = [];
    page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
    page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
    page.on('request', (r) => {
        if (!/^(file:|data:|http:\/\/127\.0\.0\.1)/.test(r.url())) problems.push(`network: ${r.url()}`);
        requested.push(decodeURIComponent(r.url()));
    });
    await page.goto(address);
    await page.waitForFunction(readyCheck);
    await page.evaluate(() => window.LeafcraftBook.ready);
    return { page, problems, requested };
}

const api = (page, expr) => page.evaluate(`(async () => { const b = window.LeafcraftBook; return ${expr}; })()`);
// Which page's picture the reader sees: the one whose box holds the middle of the stage.
const shownPage = (page) => page.evaluate(async () => {
    await new Promise((r) => setTimeout(r, 700)); // a tap's wait for a second tap, then the turn or slide
    while (document.querySelector('#leaf.turning')) await new Promise((r) => setTimeout(r, 50));
    const s = document.getElementById('stage').getBoundingClientRect();
    const el = document.elementsFromPoint(s.left + s.width / 2, s.top + s.height / 2)
        .find((e) => e.matches('#pageTop, .slide'));
    return el ? Number(el.dataset.page) : null;
});

// Fingers moving over the stage in six steps: fingersAt(t) gives their places (fractions of the
// stage) for t from 0 to 1.
async function gesture(page, fingersAt) {
    const box = await page.locator('#stage').boundingBox();
    const cdp = await context.newCDPSession(page);
    const at = (t) => fingersAt(t).map(([fx, fy], id) => ({ x: box.x + box.width * fx, y: box.y + box.height * fy, id }));
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(0) });
    for (let s = 1; s <= 6; s++) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(s / 6) });
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await cdp.detach();
}
const swipe = (page, x0, x1) => gesture(page, (t) => [[x0 + (x1 - x0) * t, 0.5]]);

async function tapStage(page, fx, twice = false, stage = '#stage') {
    const box = await page.locator(stage).boundingBox();
    await page.touchscreen.tap(box.x + box.width * fx, box.y + box.height / 2);
    if (twice) await page.touchscreen.tap(box.x + box.width * fx, box.y + box.height / 2);
}

// Every control of the tool bar and of the sheet on show lies inside the screen and is the
// topmost element at its centre; the sheet ends above the tool bar.
async function unreachable(page, bar, sheet) {
    return page.evaluate(([barSel, sheetSel]) => {
        const bad = [];
        const toolbar = document.querySelector(barSel).getBoundingClientRect();
        const panel = sheetSel && document.querySelector(sheetSel);
        if (panel && panel.getBoundingClientRect().bottom > toolbar.top + 1) bad.push('the sheet covers the tool bar');
        for (const b of document.querySelectorAll(`${barSel} button, ${barSel} input, ${sheetSel || barSel} button`)) {
            b.scrollIntoView({ block: 'nearest' }); // within its scrolling sheet
            const r = b.getBoundingClientRect();
            if (b.hidden || getComputedStyle(b).display === 'none' || getComputedStyle(b).visibility === 'hidden') continue;
            const top = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
            if (r.left < 0 || r.top < 0 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5 || !b.contains(top)) {
                bad.push(b.id || b.getAttribute('aria-label') || b.textContent.trim() || b.outerHTML.slice(0, 60));
            }
        }
        return bad;
    }, [bar, sheet]);
}

for (const origin of ['file', 'http']) {
    for (const kind of ['flip', 'slide']) {
        describe(`${kind} phone version from ${origin}`, { skip }, () => {
            test('API, contents, search, links, controls, thumbnails, zoom', async () => {
                const { page, problems, requested } = await open(url(origin, kind, 'mobile/index.html'));
                assert.equal(await api(page, 'b.pageCount'), facts.pageCount);
                assert.equal(await api(page, 'b.currentPage'), 1);
                assert.equal(await shownPage(page), 1);
                // Pictures load around the page on show only.
                assert.deepEqual(requested.filter((u) => /files\/(page|mobile)\//.test(u)).map((u) => u.replace(/.*\//, '')).sort(), ['1.jpg', '2.jpg']);
                const outline = await api(page, 'b.outline');
                assert.deepEqual(flatten(outline).map((o) => o.caption), flatten(facts.outline).map((o) => o.title));
                assert.deepEqual(await api(page, `b.search(${JSON.stringify(found.word)})`), [found.page]);
                assert.equal(await page.textContent('#title'), kind === 'flip' ? HOSTILE : 'Slides');
                assert.equal(await page.getAttribute('#logo', 'href'), null); // a script address is no link
                assert.equal(await page.getAttribute('#btnMore', 'aria-label'), kind === 'slide' ? 'Plus' : 'More');
                assert.equal(await page.evaluate(() => getComputedStyle(document.getElementById('toolbar')).backgroundColor), 'rgb(128, 64, 0)');
                assert.deepEqual(await unreachable(page, '#toolbar'), []);
                await page.evaluate(() => { window.__changes = []; window.LeafcraftBook.on('pagechange', (d) => window.__changes.push(d.page)); });

                // The overflow menu: reachable, and a choice closes it.
                await page.tap('#btnMore');
                assert.deepEqual(await unreachable(page, '#toolbar', '#sheet'), []);
                await page.tap('#btnLast');
                assert.equal(await page.isHidden('#sheet'), true);
                assert.equal(await shownPage(page), facts.pageCount);

                // Contents: the chosen entry turns to its page and closes the sheet.
                const mark = flatten(facts.outline).find((o) => o.destPage > 1 && o.destPage < facts.pageCount);
                await page.tap('#btnContents');
                assert.deepEqual(await unreachable(page, '#toolbar', '#sheet'), []);
                await page.locator('#sheet button', { hasText: mark.title }).first().tap();
                assert.equal(await page.isHidden('#sheet'), true);
                assert.equal(await shownPage(page), mark.destPage);

                // Search in the sheet.
                await page.tap('#btnSearch');
                await page.fill('#searchInput', found.word);
                await page.press('#searchInput', 'Enter');
                await page.tap(`#sheet .results button[data-page="${found.page}"]`);
                assert.equal(await page.isHidden('#sheet'), true);
                assert.equal(await shownPage(page), found.page);

                // Links where they sit on the page: the web link, then a page link taken by a tap.
                const web = facts.links.find((l) => l.url && /^https?:/.test(l.url));
                const jump = facts.links.find((l) => l.destPage);
                await api(page, `b.goToPage(${web.page})`);
                const box = await page.evaluate((href) => {
                    const a = [...document.querySelectorAll('a.link')].find((l) => l.getAttribute('href') === href && l.offsetParent);
                    const p = a.parentElement.getBoundingClientRect(), r = a.getBoundingClientRect();
                    return [(r.left - p.left) / p.width, (r.top - p.top) / p.height, a.target];
                }, web.url);
                const [pw, ph] = facts.pageSize;
                assert.ok(Math.abs(box[0] - web.rect[0] / pw) < 0.01 && Math.abs(box[1] - (1 - web.rect[3] / ph)) < 0.01, `${box}`);
                assert.equal(box[2], '_blank');
                await api(page, `b.goToPage(${jump.page})`);
                await page.locator(`a.link[data-goto="${jump.destPage}"]:visible`).first().tap();
                assert.equal(await shownPage(page), jump.destPage);

                // Touch: swipe and tap zones turn; a tap that closes a sheet does not.
                await api(page, 'b.goToPage(2)');
                await swipe(page, 0.8, 0.2);
                assert.equal(await shownPage(page), 3);
                await tapStage(page, 0.1);
                assert.equal(await shownPage(page), 2);
                await page.tap('#btnThumbs');
                assert.deepEqual(await unreachable(page, '#toolbar', '#sheet'), []);
                await page.evaluate(() => { const b = document.querySelector('#sheet .sheet-body'); b.scrollTop = b.scrollHeight; });
                await page.waitForTimeout(300);
                await tapStage(page, 0.9);
                assert.equal(await page.isHidden('#sheet'), true);
                assert.equal(await shownPage(page), 2);
                assert.deepEqual(await page.evaluate(() => window.__changes.slice(0, 2)), [facts.pageCount, mark.destPage]);

                // Double tap: the zoom view shows the page's large picture; its close button ends it.
                await tapStage(page, 0.5, true);
                await page.waitForFunction(() => { const i = document.querySelector('#zoom img'); return i && /files\/page\/2\.jpg$/.test(i.src) && i.naturalWidth; });
                assert.ok(await page.evaluate(() => document.querySelector('#zoom .zoom-page').offsetWidth > innerWidth));
                await page.tap('#btnZoomClose');
                assert.equal(await page.locator('#zoom').count(), 0);
                await gesture(page, (t) => [[0.4 - 0.2 * t, 0.5], [0.6 + 0.2 * t, 0.5]]); // two fingers apart
                assert.ok(Number(await page.getAttribute('#zoom', 'data-scale')) > 1);
                await page.tap('#btnZoomClose');

                // Thumbnails come from files/thumb; full pictures only around the pages shown.
                const thumbs = requested.filter((u) => u.includes('/files/thumb/'));
                const onDisk = (u) => (u.startsWith('file:') ? new URL(u).pathname : path.join(work, new URL(u).pathname));
                const bytes = thumbs.reduce((sum, u) => sum + fs.statSync(onDisk(u)).size, 0);
                assert.equal(thumbs.length, facts.pageCount);
                assert.ok(bytes <= 2e6 * facts.pageCount / 63, `${bytes} bytes of thumbnails`);
                assert.ok(!requested.some((u) => u.includes('/files/mobile/')), 'the phone pictures are the page pictures');
                assert.equal(await page.evaluate(() => window.__pwned), undefined);
                assert.deepEqual(problems, []);
                await page.close();
            });

            test('the page\'s words lie over it: a mouse selects and copies them, find finds them', async () => {
                const { page, problems } = await open(url(origin, kind, 'mobile/index.html'));
                await api(page, `b.goToPage(${found.page})`);
                const spans = page.locator('.lc-word:visible');
                await spans.first().waitFor();
                const { index, texts } = await phraseAt(spans, found.word);
                assert.ok(index >= 0, `the words "${found.word}" side by side`);
                assert.equal(await dragAndCopy(page, spans.nth(index), spans.nth(index + 1)), texts.join(' '));
                assert.equal(await api(page, 'b.currentPage'), found.page, 'the drag turned no page');
                assert.ok(await page.evaluate((w) => window.find(w), texts[1]));
                await swipe(page, 0.8, 0.2);
                assert.equal(await shownPage(page), found.page + 1, 'a swipe over the words turns');
                assert.deepEqual(problems, []);
                await page.close();
            });
        });
    }
}

describe('right-to-left phone versions', { skip }, () => {
    for (const kind of ['flipRtl', 'slideRtl']) {
        test(kind, async () => {
            const { page, problems } = await open(url('file', kind, 'mobile/index.html'));
            assert.equal(await api(page, 'b.rightToLeft'), true);
            assert.deepEqual(await page.evaluate(() => [document.title, document.getElementById('title').textContent]),
                [RTL_TITLE, RTL_TITLE]);
            for (const [item, shown] of [['#btnLast', 3], ['#btnFirst', 1]]) {
                await page.tap('#btnMore');
                assert.equal(await page.locator('#btnThumbs, #btnShare').count(), 0, 'Thumbnail=Hide, Share=Hide');
                await page.tap(item);
                assert.equal(await shownPage(page), shown, item);
            }
            await swipe(page, 0.2, 0.8); // the finger moving right turns forward
            assert.equal(await shownPage(page), 2);
            await tapStage(page, 0.1);
            assert.equal(await shownPage(page), 3);
            await page.tap('#btnRight');
            assert.equal(await shownPage(page), 2);
            // A bookmark of a page left out of the book is shown, not offered.
            await page.tap('#btnContents');
            const last = flatten(facts.outline).pop();
            assert.equal(await page.locator('#sheet button', { hasText: last.title }).isDisabled(), last.destPage > 3);
            assert.deepEqual(problems, []);
            await page.close();
        });
    }
});

// Drawn pages: the phone shows the page's SVG, also in the zoom view a pinch opens.
describe('drawn (SVG) pages on a phone', { skip }, () => {
    for (const kind of ['flipSvg', 'slideSvg']) {
        test(kind, async () => {
            const { page, problems, requested } = await open(url('http', kind, 'mobile/index.html'));
            assert.equal(await shownPage(page), 1);
            assert.ok(requested.some((u) => /files\/page\/1\.svg$/.test(u)), requested.join(' '));
            assert.ok(!requested.some((u) => /files\/(page|mobile)\/\d+\.jpg$/.test(u)), 'no page picture besides the drawing');
            await gesture(page, (t) => [[0.4 - 0.3 * t, 0.5], [0.6 + 0.3 * t, 0.5]]);
            await page.waitForFunction(() => { const i = document.querySelector('#zoom img'); return i && /\.svg$/.test(i.src) && i.complete; });
            const scale = Number(await page.getAttribute('#zoom', 'data-scale'));
            assert.ok(scale > 1.5, `pinched to ${scale}`);
            assert.deepEqual(problems, []);
            await page.close();
        });
    }
});

describe('the book page on a phone', { skip }, () => {
    for (const origin of ['file', 'http']) {
        test(`every control within reach; panels close after a choice (${origin})`, async () => {
            const { page, problems } = await open(url(origin, 'flip', 'index.html'));
            assert.deepEqual(await unreachable(page, '.lc-toolbar'), []);
            await page.tap('[data-lc-button="More"]');
            assert.deepEqual(await unreachable(page, '.lc-toolbar', '.lc-menu'), []);
            await page.addScriptTag({ path: axePath });
            assert.deepEqual((await page.evaluate(() => axe.run({ resultTypes: ['violations'] }))).violations
                .filter((v) => v.impact === 'serious' || v.impact === 'critical').map((v) => v.id), []);
            // Every tool the book shows is in the bar or in the menu.
            const [tools, placed] = await page.evaluate(() => [
                [...document.querySelectorAll('.lc-toolbar [data-lc-button]')].filter((b) => !b.hidden && b.dataset.lcButton !== 'More')
                    .map((b) => b.dataset.lcButton).sort(),
                [...document.querySelectorAll('.lc-toolbar .lc-kept:not([hidden]):not(.lc-more), .lc-menu [data-lc-item]')]
                    .map((b) => b.dataset.lcButton || b.dataset.lcItem).sort()]);
            assert.deepEqual(placed, tools);
            for (const tool of ['Zoom', 'Info']) { // views opened from the menu leave the tool bar free
                if (await page.isHidden('.lc-menu')) await page.tap('[data-lc-button="More"]');
                await page.tap(`.lc-menu [data-lc-item="${tool}"]`);
                assert.deepEqual(await unreachable(page, '.lc-toolbar'), [], tool);
                await page.keyboard.press('Escape');
            }
            await page.tap('[data-lc-button="More"]');
            await page.tap('.lc-menu [data-lc-item="Thumbnail"]');
            assert.equal(await page.isHidden('.lc-menu'), true);
            assert.deepEqual(await unreachable(page, '.lc-toolbar', '.lc-panel'), []);
            await page.tap('.lc-panel .lc-thumb[data-page="4"]');
            await page.waitForFunction(() => window.LeafcraftBook.currentPage === 4 && document.querySelector('.lc-panel').hidden);
            // A touch on the page that closes a panel turns no page.
            await page.tap('[data-lc-button="Search"]');
            await tapStage(page, 0.92, false, '.lc-stage');
            assert.equal(await page.isHidden('.lc-panel'), true);
            await page.waitForTimeout(800);
            assert.equal(await api(page, 'b.currentPage'), 4);
            assert.deepEqual(problems, []);
            await page.close();
        });
    }
});

// The page words (files/search/words-<n>.js) a phone player marks on the page on show.
const markedWords = (page) => page.evaluate(() => {
    const n = window.LeafcraftBook.currentPage, words = window.LeafcraftWords[n];
    const layer = document.querySelector(`#pageTop[data-page="${n}"] .layer, .slide[data-page="${n}"] .layer`);
    return [...layer.querySelectorAll('.hit')].map((s) => words.findIndex((w) =>
        Math.abs(parseFloat(s.style.left) - w[0] * 100) < 1e-6 && Math.abs(parseFloat(s.style.top) - w[1] * 100) < 1e-6));
});

// Where a link's middle is, as fractions of the stage.
const linkAt = (page, goto) => page.evaluate((n) => {
    const a = [...document.querySelectorAll(`a.link[data-goto="${n}"]`)].find((l) => l.offsetParent);
    const s = document.getElementById('stage').getBoundingClientRect(), r = a.getBoundingClientRect();
    return [(r.left + r.width / 2 - s.left) / s.width, (r.top + r.height / 2 - s.top) / s.height];
}, goto);

describe('search marks, swipes over links and the menu on a phone', { skip }, () => {
    for (const kind of ['flip', 'slide']) {
        test(kind, async () => {
            const { page, problems } = await open(url('file', kind, 'mobile/index.html'));
            const words = JSON.parse(fs.readFileSync(path.join(work, kind, 'files', 'search', 'words-1.js'), 'utf8')
                .replace(/^[^=]*=[^=]*= /, '').replace(/;\s*$/, '')).map((w) => w[4].toLowerCase());
            // Screen readers get the page's words.
            await page.waitForFunction((w) => [...document.querySelectorAll('.layer .sr-text')]
                .some((r) => r.textContent.toLowerCase().startsWith(w.slice(0, 2).join(' '))), words);
            const runs = (...terms) => words.flatMap((w, i) => (terms.every((t, k) => words[i + k] === t)
                ? terms.map((t, k) => i + k) : []));
            // One word marks every word that holds it; words run on as a phrase; a long word marks
            // no shorter words that it holds.
            const [a, b] = words.slice(2, 4);
            for (const [query, expected] of [
                [a.slice(1, 3), words.flatMap((w, i) => (w.includes(a.slice(1, 3)) ? [i] : []))],
                [`${a}  ${b.toUpperCase()}`, runs(a, b)],
                [words[0] + words[1] + a, []]]) {
                if (await page.isHidden('#sheet')) await page.tap('#btnSearch');
                await page.fill('#searchInput', query);
                await page.press('#searchInput', 'Enter');
                assert.ok(expected.length || query.length > 8);
                await page.waitForFunction((n) => document.querySelectorAll('.layer .hit').length === n, expected.length);
                await page.waitForTimeout(300); // and no late mark
                assert.deepEqual((await markedWords(page)).sort((x, y) => x - y), expected, query);
            }
            // Closing the search takes the marks away; choosing a hit keeps them.
            await page.fill('#searchInput', a);
            await page.press('#searchInput', 'Enter');
            await page.tap('#sheet .results button[data-page="1"]');
            await page.waitForFunction(() => document.querySelectorAll('.layer .hit').length > 0);
            await page.tap('#btnSearch');
            await page.tap('#btnClose');
            assert.deepEqual(await markedWords(page), []);

            // A swipe that starts on a link turns the page, either way; a tap still follows it.
            await api(page, 'b.goToPage(2)');
            await shownPage(page);
            let [x, y] = await linkAt(page, 5);
            await gesture(page, (t) => [[x - 0.5 * t, y]]);
            assert.equal(await shownPage(page), 3, 'a swipe to the left from a link');
            await api(page, 'b.goToPage(2)');
            await shownPage(page);
            [x, y] = await linkAt(page, 5);
            await gesture(page, (t) => [[x + 0.3 * t, y]]);
            assert.equal(await shownPage(page), 1, 'a swipe to the right from a link');
            [x, y] = await linkAt(page, 3);
            await gesture(page, (t) => [[x - 0.25 * t, y]]);
            assert.equal(await shownPage(page), 2, 'a swipe from the link of page 1');
            await page.locator('a.link[data-goto="5"]:visible').first().tap();
            assert.equal(await shownPage(page), 5, 'a tap on a link');
            assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('#track img[src]')]
                .map((i) => Number(i.closest('.slide').dataset.page))), kind === 'slide' ? [4, 5] : []);

            // The menu names each item for screen readers.
            await page.tap('#btnMore');
            await page.addScriptTag({ path: axePath });
            const faults = (await page.evaluate(() => axe.run({ resultTypes: ['violations'] }))).violations
                .filter((v) => v.impact === 'serious' || v.impact === 'critical').map((v) => v.id);
            assert.deepEqual(faults, []);
            assert.deepEqual(problems, []);
            await page.close();
        });
    }
});
