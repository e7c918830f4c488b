// The player's modules under node: the language table against the languages the templates offer.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { repoRoot } from './make_book.mjs';

const i18n = await import(path.join(repoRoot, 'resources/AppFiles/TmplData/player/src/i18n.js'));

test('every language the templates offer has every text of the player', () => {
    const templates = path.join(repoRoot, 'resources/AppFiles/Templates');
    const offered = new Set();
    for (const name of fs.readdirSync(templates)) {
        const xml = fs.readFileSync(path.join(templates, name, 'flashTemplate.xml'), 'utf8');
        const m = /<key>languageSetting<\/key>[\s\S]*?<valueSource>([^<]*)<\/valueSource>/.exec(xml);
        if (m) m[1].split(',').forEach((l) => offered.add(l.trim()));
    }
    assert.equal(offered.size, 12);
    const english = i18n.translator('en');
    for (const language of offered) {
        const code = i18n.languageCode(language);
        assert.ok(language === 'English' || code !== 'en', `${language} has its own texts`);
        const t = i18n.translator(code);
        for (const key of i18n.TEXT_KEYS) {
            const text = t(key, 7, 8);
            assert.ok(text && !/\{\d\}/.test(text), `${language}: ${key}`);
            assert.equal(/7/.test(text), /7/.test(english(key, 7, 8)), `${language}: ${key} keeps its number`);
        }
    }
    assert.equal(i18n.languageCode('pt-BR'), 'pt');
    assert.equal(i18n.languageCode('Klingon'), 'en');
});
