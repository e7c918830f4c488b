// The books the browser tests open, with what the tests expect of them.
//
// When leafcraft-cli can publish (found in LEAFCRAFT_BINARY_DIR, build/dev or build/release), the
// books are published by it from the fixture PDF links.pdf (tests/data/make_fixtures.py), and the
// expectations come from the fixture's own description (links.json) and its text (pdftotext).
// Without a working leafcraft-cli the tests fail.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { repoRoot } from './make_book.mjs';

// A title with markup and quotes: the player must show it as text.
export const HOSTILE_TITLE = 'Title <script>window.__pwned = 1</script> & "quotes"';

export function findCli() {
    const dirs = [process.env.LEAFCRAFT_BINARY_DIR, path.join(repoRoot, 'build', 'dev'), path.join(repoRoot, 'build', 'release')];
    for (const d of dirs.filter(Boolean)) {
        const p = path.join(d, 'tools', 'leafcraft-cli', 'leafcraft-cli');
        if (fs.existsSync(p)) return p;
    }
    return null;
}

function canPublish(cli) {
    try {
        execFileSync(cli, ['publish', '--help'], { stdio: 'ignore' });
        return true;
    } catch {
        return false;
    }
}

// Two words, side by side on one line, that occur on exactly one page of the PDF, and that page.
export function uniquePhrase(pdf, pageCount) {
    const pages = [];
    for (let n = 1; n <= pageCount; n++) {
        pages.push(execFileSync('pdftotext', ['-f', String(n), '-l', String(n), pdf, '-'], { encoding: 'utf8' }).toLowerCase());
    }
    const flat = pages.map((t) => t.replace(/\s+/g, ' '));
    for (let n = 0; n < pageCount; n++) {
        for (const line of pages[n].split('\n')) {
            const words = line.match(/[a-z]{3,}/g) || [];
            for (let i = 0; i + 1 < words.length; i++) {
                const phrase = `${words[i]} ${words[i + 1]}`;
                if (flat.every((t, k) => (k === n) === t.includes(phrase))) return { word: phrase, page: n + 1 };
            }
        }
    }
    throw new Error(`no phrase of ${pdf} is unique to one page`);
}

export function flatten(items, out = []) {
    for (const o of items) {
        out.push(o);
        flatten(o.children || [], out);
    }
    return out;
}

function publishedByCli(cli, work) {
    const fixtures = path.join(work, 'fixtures');
    execFileSync('python3', [path.join(repoRoot, 'tests', 'data', 'make_fixtures.py'), fixtures], { stdio: 'ignore' });
    const pdf = path.join(fixtures, 'links.pdf');
    const facts = JSON.parse(fs.readFileSync(path.join(fixtures, 'links.json'), 'utf8'));
    const publish = (name, extra) => execFileSync(cli, ['publish', pdf, '-o', path.join(work, name), '--title', 'Book',
        '--set', `Title=${HOSTILE_TITLE}`, '--set', 'Print=Hide', '--set', 'Share=Hide',
        '--set', 'BaseColor=0x804000', ...extra], { stdio: ['ignore', 'pipe', 'pipe'] });
    publish('ltr', []);
    publish('rtl', ['--set', 'direction=Left']);
    publish('svg', ['--format', 'svg']);
    // The reading direction reaches the player through Mobility's direction.
    const rtlConfig = execFileSync(cli, ['config', 'decode', path.join(work, 'rtl', 'files', 'config.xml')], { encoding: 'utf8' });
    if (!/<Mobility direction="left"/.test(rtlConfig))
        throw new Error('a book published with direction=Left does not read right to left');
    const [pw, ph] = facts.pageSize;
    const web = facts.links.find((l) => l.url && /^https?:/.test(l.url));
    const jump = facts.links.find((l) => l.destPage && l.page === web.page);
    const [x0, y0, x1, y1] = web.rect;
    const outline = flatten(facts.outline);
    const bookmark = outline.find((o) => o.children.length === 0 && o.destPage > 2) || outline[outline.length - 1];
    const found = uniquePhrase(pdf, facts.pageCount);
    return {
        source: `published by ${path.relative(repoRoot, cli)} from links.pdf; right-to-left book published`,
        ltr: 'ltr',
        rtl: 'rtl',
        svg: 'svg',
        pageCount: facts.pageCount,
        linkPage: web.page,
        webLink: { href: web.url, x: x0 / pw, y: 1 - y1 / ph, width: (x1 - x0) / pw, height: (y1 - y0) / ph },
        pageLinkTarget: jump.destPage,
        bookmark: { caption: bookmark.title, page: bookmark.destPage },
        outlineCaptions: outline.map((o) => o.title),
        searchWord: found.word,
        searchPage: found.page,
        baseColor: 'rgb(128, 64, 0)'
    };
}

// The books come from leafcraft-cli only: without it the tests fail rather than check books
// that the program did not write.
export async function publishedBooks(work) {
    const cli = findCli();
    if (!cli || !canPublish(cli))
        throw new Error('leafcraft-cli is needed to publish the test books: build it first (scripts/build.sh), '
            + 'or name its build folder in LEAFCRAFT_BINARY_DIR');
    return publishedByCli(cli, work);
}
