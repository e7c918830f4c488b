// Writes a published-book folder the way the book writer lays it out, for the player's tests and
// benchmarks: index.html from a template page, files/config.xml (the enciphered container) and
// files/config.js, files/player/, files/page/<n>.jpg, files/thumb/<n>.jpg, files/extfiles/ and
// files/search/search.js.
//
// The page pictures are generated PNG pictures stored under the .jpg names (browsers identify a
// picture by its bytes): each shows its page number in large digits.
//
// bench/make_book.mjs writes such a book from the command line.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { zipSync } from 'fflate';

const here = path.dirname(fileURLToPath(import.meta.url));
export const repoRoot = path.resolve(here, '..', '..');
const appFiles = path.join(repoRoot, 'resources', 'AppFiles');

// ---- container -------------------------------------------------------------------------------

export function rc4(key, data) {
    const k = Buffer.from(key, 'utf8');
    const s = new Uint8Array(256).map((_, i) => i);
    for (let i = 0, j = 0; i < 256; i++) {
        j = (j + s[i] + k[i % k.length]) & 255;
        [s[i], s[j]] = [s[j], s[i]];
    }
    const out = Buffer.alloc(data.length);
    for (let n = 0, i = 0, j = 0; n < data.length; n++) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        [s[i], s[j]] = [s[j], s[i]];
        out[n] = data[n] ^ s[(s[i] + s[j]) & 255];
    }
    return out;
}

// One-entry zip archive (fflate, an independent zip writer): method 8 = deflate, 0 = stored.
export function zipOne(name, content, method = 8) {
    return Buffer.from(zipSync({ [name]: [new Uint8Array(content), { level: method === 8 ? 9 : 0 }] }));
}

export const CONFIG_KEY = 'pbkcfg-rc4-k14';

export function containerXml(configXml, { method = 8 } = {}) {
    const zip = zipOne('config.xml', Buffer.from(configXml, 'utf8'), method);
    const b64 = rc4(CONFIG_KEY, zip).toString('base64');
    return `<?xml version="1.0" encoding="UTF-8"?><data><![CDATA[${b64}]]></data>`;
}

// ---- configuration document ------------------------------------------------------------------

export const esc = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
    .replace(/"/g, '&quot;').replace(/'/g, '&apos;');

function outlineXml(items) {
    return items.map((o) => `<o><c>${esc(o.caption)}</c><p>${o.page}</p><l>${o.level || 1}</l><ci>${
        outlineXml((o.children || []).map((c) => ({ ...c, level: (o.level || 1) + 1 })))}</ci></o>`).join('');
}

export function configXml(o) {
    const pages = [];
    for (let n = 1; n <= o.pages; n++) {
        const size = o.sizes?.[n] ? ` width="${o.sizes[n][0]}" height="${o.sizes[n][1]}"` : '';
        const large = o.zoomPictures ? `zoom/${n}.jpg` : `page/${n}.jpg`;
        pages.push(`<Page type="Image"${size}><Item name="thumb">thumb/${n}.jpg</Item><Item name="normal">page/${n}.jpg</Item><Item name="large">${
            large}</Item></Page>`);
    }
    const W = o.pageWidth, H = o.pageHeight;
    const width = W > 700 ? 700 : W, height = W > 700 ? Math.trunc(700 * H / W) : H;
    const thumbW = H > 180 ? Math.trunc(180 * W / H) : W, thumbH = H > 180 ? 180 : H;
    const s = o.settings;
    return `<?xml version="1.0" encoding="UTF-8"?>
<Folioscope><XMLVersion>1</XMLVersion><Config><Author><Name>${esc(s.AuthorName)}</Name><Email>${esc(s.AuthorEmail)}</Email><WebSite>${
    esc(s.AuthorWebSite)}</WebSite><Info>${esc(s.AuthorInfo)}</Info></Author><Setting><Title>${esc(o.title)}</Title>${
    o.language ? `<Language>${esc(o.language)}</Language>` : ''}${
    o.textLanguage ? `<TextLanguage>${esc(o.textLanguage)}</TextLanguage>` : ''}<BaseColor>${
    s.BaseColor}</BaseColor><Logo displayLogo="${s.ShowLogo ? 'true' : 'false'}" link="${esc(s.LogoLink)}">${
    s.Logo ? 'extfiles/LogoFile.png' : ''}</Logo><GoogleAnalytics webProperty="${esc(o.analyticsId || '')}"/><ShareAnalytics id=""/><ZoomModel>0</ZoomModel><Theme src="theme/Main.swf"/><BackgroundMusic circle="-1">${
    s.Music ? 'extfiles/SoundFile.wav' : ''}</BackgroundMusic><Download src="${s.Download ? 'extfiles/DownloadFile.pdf' : ''}"/><ControlButtonsInvisible>${
    ',Content'}</ControlButtonsInvisible><FolioscopeSetting><Background><BackgroundType>${esc(s.BackgroundType)}</BackgroundType><Color>${
    s.Color}</Color><GradientStartColor>${s.GradientStartColor}</GradientStartColor><GradientEndColor>${
    s.GradientEndColor}</GradientEndColor><GradientAngle>${s.GradientAngle}</GradientAngle><ImagePath>extfiles/ImagePath.</ImagePath><Position>Fill</Position></Background><AutoFlip loop="${
    s.AutoFlipLoop}"><Enable>${s.AutoFlip ? 'Yes' : 'No'}</Enable><Interval>${s.Interval}</Interval></AutoFlip><TiltAngle>${
    s.TiltAngle}</TiltAngle><AutoScale>Yes</AutoScale><PlayFlipSound>Yes</PlayFlipSound><PerPageThickness>1</PerPageThickness>${
    ''}<Mobility direction="${o.rtl ? 'left' : 'right'}" startPosition="center"/></FolioscopeSetting><Template><PanoramicImage type="cube"><Left>extfiles/l.jpg</Left><Right>extfiles/r.jpg</Right><Top>extfiles/u.jpg</Top><Bottom>extfiles/d.jpg</Bottom><Front>extfiles/f.jpg</Front><Back>extfiles/b.jpg</Back></PanoramicImage><InitSetting><Camera panAngle="-90" tiltAngle="-80"/></InitSetting></Template></Setting></Config><ols>${
    outlineXml(o.outline)}</ols><Pages bace="" largeWidth="${W}" largeHeight="${H}" width="${width}" height="${height}" thumbWidth="${
    thumbW}" thumbHeight="${thumbH}">${pages.join('')}</Pages></Folioscope>`;
}

// ---- pictures --------------------------------------------------------------------------------

export function png(width, height, pixel) {
    const raw = Buffer.alloc((width * 3 + 1) * height);
    for (let y = 0; y < height; y++) {
        const row = y * (width * 3 + 1);
        for (let x = 0; x < width; x++) {
            const [r, g, b] = pixel(x, y);
            raw[row + 1 + x * 3] = r;
            raw[row + 2 + x * 3] = g;
            raw[row + 3 + x * 3] = b;
        }
    }
    const chunk = (type, data) => {
        const len = Buffer.alloc(4);
        len.writeUInt32BE(data.length);
        const td = Buffer.concat([Buffer.from(type, 'ascii'), data]);
        const crc = Buffer.alloc(4);
        crc.writeUInt32BE(zlib.crc32(td));
        return Buffer.concat([len, td, crc]);
    };
    const ihdr = Buffer.alloc(13);
    ihdr.writeUInt32BE(width, 0);
    ihdr.writeUInt32BE(height, 4);
    ihdr[8] = 8;
    ihdr[9] = 2;
    return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
        chunk('IHDR', ihdr), chunk('IDAT', zlib.deflateSync(raw, { level: 6 })), chunk('IEND', Buffer.alloc(0))]);
}

const DIGITS = ['01110100011001110101110011000101110', '00100011000010000100001000010001110',
    '01110100010000100010001000100011111', '11111000100010000010000011000101110',
    '00010001100101010010111110001000010', '11111100001111000001000011000101110',
    '00110010001000011110100011000101110', '11111000010001000100010000100001000',
    '01110100011000101110100011000101110', '01110100011000101111000010001001100'];

// A page picture: paper, grey "lines of text" and the page number large.
export function pagePicture(n, width, height, tint = 0) {
    const digits = String(n).split('').map(Number);
    const scale = Math.floor(width / 16), dw = 5 * scale, gap = scale;
    const totalW = digits.length * dw + (digits.length - 1) * gap;
    const ox = Math.floor((width - totalW) / 2), oy = Math.floor(height * 0.38);
    const paper = [250 - tint, 248, 240 + tint];
    return png(width, height, (x, y) => {
        const dx = x - ox, dy = y - oy;
        if (dx >= 0 && dy >= 0 && dy < 7 * scale && dx < totalW) {
            const d = Math.floor(dx / (dw + gap)), inDigit = dx - d * (dw + gap);
            if (inDigit < dw && DIGITS[digits[d]][Math.floor(dy / scale) * 5 + Math.floor(inDigit / scale)] === '1') return [60, 60, 60];
        }
        const line = Math.floor(y / 14);
        if (y % 14 < 6 && line > 2 && (line < 10 || y > height * 0.7 && y < height * 0.92) && x > width * 0.1 && x < width * (0.9 - (line % 3) * 0.1)) return [205, 205, 205];
        return paper;
    });
}

function solid(width, height, [r, g, b], label) {
    return png(width, height, (x, y) => {
        const edge = x < 4 || y < 4 || x >= width - 4 || y >= height - 4;
        const grid = x % 64 < 2 || y % 64 < 2;
        return edge ? [255, 255, 255] : grid ? [r * 0.8, g * 0.8, b * 0.8] : [r, g, b];
    });
}

// ---- the book --------------------------------------------------------------------------------

export const defaults = () => ({
    pages: 12,
    title: 'Test Book',
    template: 'float',
    rtl: false,
    pageWidth: 300,
    pageHeight: 400,
    outline: [],
    searchText: null,
    settings: {
        AuthorName: 'A. Writer', AuthorEmail: 'writer@example.com', AuthorWebSite: 'http://example.com',
        AuthorInfo: 'Made for tests.', BaseColor: 8404992, ShowLogo: true, LogoLink: 'http://example.com',
        Logo: true, Music: false, Download: false, BackgroundType: 'GradientColor', Color: 8421376,
        GradientStartColor: 16750848, GradientEndColor: 15248461, GradientAngle: 90, AutoFlip: false,
        AutoFlipLoop: 0, Interval: 3, TiltAngle: 0
    }
});

export function makeBook(dir, options = {}) {
    const o = { ...defaults(), ...options, settings: { ...defaults().settings, ...(options.settings || {}) } };
    fs.rmSync(dir, { recursive: true, force: true });
    const files = path.join(dir, 'files');
    for (const sub of ['page', 'thumb', 'extfiles', 'search']) fs.mkdirSync(path.join(files, sub), { recursive: true });
    fs.cpSync(path.join(appFiles, 'TmplData', 'player'), path.join(files, 'player'), { recursive: true,
        filter: (f) => path.basename(f) !== 'src' });
    const html = fs.readFileSync(path.join(appFiles, 'Templates', o.template, 'template.html'), 'utf8')
        .replace('${index.title}', esc(o.title)).replace('${meta.keywords}', 'test')
        .replace('${meta.description}', 'test book');
    fs.writeFileSync(path.join(dir, 'index.html'), html);

    const pw = o.pageWidth, ph = Math.round(pw * o.pageHeight / o.pageWidth);
    // Pictures are shared by content: pages after the 40th reuse a small set of pictures so that
    // very long books are quick to make.
    const cache = new Map();
    for (let n = 1; n <= o.pages; n++) {
        const unique = n <= 40;
        const key = unique ? `u${n}` : `c${n % 20}`;
        let pic = cache.get(key);
        if (!pic) {
            pic = pagePicture(unique ? n : n % 20 + 40, pw, ph, (n * 7) % 12);
            if (!unique) cache.set(key, pic);
        }
        fs.writeFileSync(path.join(files, 'page', `${n}.jpg`), pic);
        fs.writeFileSync(path.join(files, 'thumb', `${n}.jpg`), pic);
        if (o.zoomPictures) {
            fs.mkdirSync(path.join(files, 'zoom'), { recursive: true });
            fs.writeFileSync(path.join(files, 'zoom', `${n}.jpg`), pagePicture(n, pw * 2, ph * 2));
        }
    }
    for (const [n, words] of Object.entries(o.words || {})) {
        fs.writeFileSync(path.join(files, 'search', `words-${n}.js`),
            `(window.LeafcraftWords = window.LeafcraftWords || {})[${n}] = ${JSON.stringify(words)};\n`);
    }
    if (o.settings.Logo) {
        fs.writeFileSync(path.join(files, 'extfiles', 'LogoFile.png'), png(96, 32, (x, y) =>
            (x + y) % 16 < 8 ? [255, 255, 255] : [200, 60, 40]));
    }
    if (o.template === 'Panoramic') {
        const faces = { f: [70, 130, 180], b: [120, 90, 160], l: [60, 150, 90], r: [180, 120, 60], u: [150, 190, 230], d: [90, 80, 70] };
        for (const [k, c] of Object.entries(faces)) fs.writeFileSync(path.join(files, 'extfiles', `${k}.jpg`), solid(256, 256, c));
    }
    const xml = containerXml(configXml(o));
    fs.writeFileSync(path.join(files, 'config.xml'), xml);
    fs.writeFileSync(path.join(files, 'config.js'), `window.LeafcraftConfigXML = ${JSON.stringify(xml)};\n`);
    const texts = o.searchText || Array.from({ length: o.pages }, (_, i) => `This is page ${i + 1} of the test book.`);
    fs.writeFileSync(path.join(files, 'search', 'search.js'), `window.LeafcraftSearchText = ${JSON.stringify(texts)};\n`);
    return path.join(dir, 'index.html');
}
