#!/usr/bin/env node
// Bundles the browser players from their ES modules (esbuild, from npm) into the single classic
// scripts a book loads: a book opened from disk (file://) cannot load modules. The bundles are
// written beside their sources under resources/AppFiles/TmplData, where publishing, the installed
// program and the tests find them; they are build products, not kept in git.
//
// Usage: node scripts/build_players.mjs [--list]
//   --list  prints the bundle files, one a line, and builds nothing (for the build system).
// A player with its own entry module adds a line to BUNDLES.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const tmplData = 'resources/AppFiles/TmplData';

// entry: the entry module; out: the bundle; nodeExports: the bundle can also be loaded by node's
// require() and then exports what the entry module exports (the container reader, for its tests).
export const BUNDLES = [
    { entry: `${tmplData}/player/src/main.js`, out: `${tmplData}/player/player.js`, nodeExports: true },
    // The phone players; the publisher appends the book's phone settings to main_preview.js.
    { entry: `${tmplData}/mobile/Flip/src/main.js`, out: `${tmplData}/mobile/Flip/javascript/main_preview.js` },
    { entry: `${tmplData}/mobile/Slide/src/main.js`, out: `${tmplData}/mobile/Slide/javascript/slide.js` },
];

const GLOBAL = '__leafcraftBundle';

async function build(bundle, esbuild) {
    const options = {
        entryPoints: [path.join(repoRoot, bundle.entry)],
        outfile: path.join(repoRoot, bundle.out),
        bundle: true,
        format: 'iife',
        target: ['es2020'],
        charset: 'utf8',
        legalComments: 'inline',
        logLevel: 'warning',
        loader: { '.css': 'text' }, // a module's style sheet, imported as text
        banner: { js: '/* Leafcraft player: built from src/ by scripts/build_players.mjs; edit the sources. */' },
    };
    if (bundle.nodeExports) {
        options.globalName = GLOBAL;
        options.footer = { js: `if (typeof module === 'object' && module && module.exports) module.exports = ${GLOBAL};` };
    }
    await esbuild.build(options);
}

async function main() {
    if (process.argv.includes('--list')) {
        for (const b of BUNDLES) console.log(path.join(repoRoot, b.out));
        return;
    }
    let esbuild;
    try {
        esbuild = await import('esbuild');
    } catch {
        console.error('build_players: esbuild is missing; run scripts/setup.sh (it runs npm ci)');
        process.exit(1);
    }
    for (const b of BUNDLES) {
        if (!fs.existsSync(path.join(repoRoot, b.entry))) {
            console.error(`build_players: no entry module ${b.entry}`);
            process.exit(1);
        }
        await build(b, esbuild.default || esbuild);
    }
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
    main().catch((e) => {
        console.error(`build_players: ${e.message}`);
        process.exit(1);
    });
}
