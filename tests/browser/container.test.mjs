// The player's reader of the configuration container (Base64, RC4, zip; inflate is fflate's), run in node
// against containers made by zlib, by the test-book maker and by leafcraft-cli.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { containerXml, rc4, repoRoot, zipOne, CONFIG_KEY } from './make_book.mjs';
import { tempDir } from './helpers.mjs';
import { findCli } from './published_books.mjs';

const require = createRequire(import.meta.url);
const reader = require(path.join(repoRoot, 'resources/AppFiles/TmplData/player/player.js'));

const dataOf = (xml) => /<!\[CDATA\[([^\]]*)\]\]>/.exec(xml)[1];

test('RC4 and CRC-32 match the reference values', () => {
    // Published RC4 test vector: key "Key", plaintext "Plaintext".
    assert.equal(Buffer.from(reader.rc4('Key', Buffer.from('Plaintext'))).toString('hex'), 'bbf316e8d940af0ad3');
    const zip = zipOne('config.xml', Buffer.from('<a/>'));
    assert.ok(Buffer.from(reader.rc4(CONFIG_KEY, rc4(CONFIG_KEY, zip))).equals(zip));
    assert.equal(reader.crc32(Buffer.from('123456789')), 0xcbf43926);
});

test('reads the configuration document back from deflated and stored containers', () => {
    const doc = '<?xml version="1.0" encoding="UTF-8"?>\n<Folioscope><Config><Setting><Title>Ünïcödé &amp; more</Title></Setting></Config></Folioscope>\n';
    for (const method of [8, 0]) {
        assert.equal(reader.decodeConfigData(dataOf(containerXml(doc, { method }))), doc, `method ${method}`);
    }
    // Base64 wrapped over lines, as some tools write it, reads the same.
    const wrapped = dataOf(containerXml(doc)).replace(/(.{60})/g, '$1\n');
    assert.equal(reader.decodeConfigData(wrapped), doc);
});

test('rejects damaged containers with a clear reason', () => {
    const good = dataOf(containerXml('<Folioscope/>'));
    const zipBytes = rc4(CONFIG_KEY, Buffer.from(good, 'base64'));
    const enc = (bytes) => rc4(CONFIG_KEY, bytes).toString('base64');
    const flipped = Buffer.from(zipBytes);
    flipped[45] ^= 0xff; // inside the deflated data
    const cases = {
        empty: ['', /empty/],
        'not Base64': ['@@@@', /Base64/],
        'wrong key': [rc4('another-key', zipBytes).toString('base64'), /archive|damaged/],
        truncated: [enc(zipBytes.subarray(0, zipBytes.length - 30)), /archive|truncated/],
        'damaged data': [enc(flipped), /damaged|checksum/],
    };
    for (const [name, [data, reason]] of Object.entries(cases)) {
        assert.throws(() => reader.decodeConfigData(data), (e) => e.name === 'ContainerError' && reason.test(e.message), name);
    }
    // A lone entry under another name is still the document.
    assert.equal(reader.decodeConfigData(enc(zipOne('other.xml', Buffer.from('<a/>')))), '<a/>');
});

// Containers written by the C++ book writer, through leafcraft-cli (which must be built).

test('reads containers that leafcraft-cli writes', (t) => {
    const cli = findCli();
    assert.ok(cli, 'leafcraft-cli is not built (build it, or name its build folder in LEAFCRAFT_BINARY_DIR)');
    const help = (() => {
        try { return execFileSync(cli, ['config', '--help'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] }); } catch (e) { return String(e.stdout || '') + String(e.stderr || ''); }
    })();
    if (!/encode/.test(help)) return t.skip('this leafcraft-cli has no "config encode" command');
    const dir = tempDir('leafcraft-cli-config-');
    try {
        const docs = {
            small: '<Folioscope><XMLVersion>1</XMLVersion></Folioscope>',
            unicode: '<Folioscope><Config><Setting><Title>Ünïcödé 書籍 &amp; "quotes"</Title></Setting></Config></Folioscope>',
            large: '<Folioscope><Pages>' + Array.from({ length: 2000 }, (_, i) =>
                `<Page type="Image"><Item name="normal">page/${i + 1}.jpg</Item></Page>`).join('') + '</Pages></Folioscope>'
        };
        for (const [name, doc] of Object.entries(docs)) {
            const input = path.join(dir, `${name}.xml`);
            const output = path.join(dir, `${name}.container.xml`);
            fs.writeFileSync(input, doc);
            execFileSync(cli, ['config', 'encode', input, output], { stdio: ['ignore', 'pipe', 'pipe'] });
            const container = fs.readFileSync(output, 'utf8');
            const text = reader.decodeConfigData(dataOf(container));
            // The writer may reformat the document; its content must survive.
            const squash = (s) => s.replace(/<\?xml[^>]*\?>/, '').replace(/>\s+</g, '><').trim();
            assert.equal(squash(text), squash(doc), name);
        }
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
});
