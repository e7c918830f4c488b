/*
 * Leafcraft book player.
 *
 * Shows a published Leafcraft book: reads the book configuration (files/config.js, or
 * files/config.xml from a web server), lays out the pages as a book with a page-turn effect and
 * offers the toolbar the configuration asks for. Works from disk (file://), from a web server and
 * in embedded web views; needs no network and no other script.
 *
 * Configuration container: the text of the `data` element is Base64 of an RC4-enciphered
 * (key "pbkcfg-rc4-k14") zip archive whose entry "config.xml" holds the configuration document.
 *
 * Every value read from the configuration is data: texts are shown with textContent and links
 * pass a scheme allow-list (http, https, mailto, relative) before they become an href.
 *
 * Public object: window.LeafcraftBook (ready, pageCount, currentPage, next(), prev(),
 * goToPage(n), outline, search(text), on(event, handler)).
 */
(function (root) {
    'use strict';

    // ---------------------------------------------------------------------------------------
    // Container reader: Base64 -> RC4 -> zip entry -> raw inflate -> UTF-8 text.
    // ---------------------------------------------------------------------------------------

    var CONFIG_KEY = 'pbkcfg-rc4-k14';

    function ContainerError(message) {
        var e = new Error(message);
        e.name = 'ContainerError';
        return e;
    }

    function base64ToBytes(text) {
        var clean = String(text).replace(/[\s]+/g, '');
        if (clean.length % 4 !== 0 || !/^[A-Za-z0-9+/]*={0,2}$/.test(clean)) {
            throw ContainerError('the configuration data is not valid Base64 text');
        }
        var bin = atob(clean);
        var out = new Uint8Array(bin.length);
        for (var i = 0; i < bin.length; i++) out[i] = bin.charCodeAt(i);
        return out;
    }

    // RC4 is its own inverse: the same call enciphers and deciphers.
    function rc4(keyText, data) {
        var key = new TextEncoder().encode(keyText);
        if (key.length > 512) key = key.subarray(0, 512);
        var s = new Uint8Array(256);
        var i, j = 0, t;
        for (i = 0; i < 256; i++) s[i] = i;
        for (i = 0; i < 256; i++) {
            j = (j + s[i] + key[i % key.length]) & 255;
            t = s[i]; s[i] = s[j]; s[j] = t;
        }
        var out = new Uint8Array(data.length);
        i = 0; j = 0;
        for (var n = 0; n < data.length; n++) {
            i = (i + 1) & 255;
            j = (j + s[i]) & 255;
            t = s[i]; s[i] = s[j]; s[j] = t;
            out[n] = data[n] ^ s[(s[i] + s[j]) & 255];
        }
        return out;
    }

    var CRC_TABLE = (function () {
        var table = new Uint32Array(256);
        for (var n = 0; n < 256; n++) {
            var c = n;
            for (var k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
            table[n] = c >>> 0;
        }
        return table;
    })();

    function crc32(bytes) {
        var c = 0xffffffff;
        for (var i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 255] ^ (c >>> 8);
        return (c ^ 0xffffffff) >>> 0;
    }

    var LEN_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99,
        115, 131, 163, 195, 227, 258];
    var LEN_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0];
    var DIST_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025,
        1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577];
    var DIST_EXTRA = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12,
        12, 13, 13];
    var CODE_LENGTH_ORDER = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15];

    // Canonical Huffman code from code lengths: counts per length and symbols in code order.
    function huffman(lengths) {
        var count = new Uint16Array(16);
        var offs = new Uint16Array(16);
        var symbols = new Uint16Array(lengths.length);
        var len;
        for (var s = 0; s < lengths.length; s++) count[lengths[s]]++;
        count[0] = 0;
        var left = 1;
        for (len = 1; len < 16; len++) {
            left = (left << 1) - count[len];
            if (left < 0) throw ContainerError('the compressed configuration is damaged (bad code)');
        }
        for (len = 1; len < 15; len++) offs[len + 1] = offs[len] + count[len];
        for (s = 0; s < lengths.length; s++) if (lengths[s]) symbols[offs[lengths[s]]++] = s;
        return { count: count, symbols: symbols };
    }

    var FIXED_CODES = null;

    function fixedCodes() {
        if (!FIXED_CODES) {
            var l = new Uint8Array(288);
            for (var i = 0; i < 288; i++) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
            var d = new Uint8Array(30).fill(5);
            FIXED_CODES = { lit: huffman(l), dist: huffman(d) };
        }
        return FIXED_CODES;
    }

    // Inflates a raw deflate stream (no zlib header). sizeHint is the expected output size.
    function inflateRaw(data, sizeHint) {
        var out = new Uint8Array(Math.max(sizeHint || 0, 1024));
        var outPos = 0, pos = 0, bitBuf = 0, bitCnt = 0;

        function damaged() {
            return ContainerError('the compressed configuration is damaged');
        }
        function bits(n) {
            while (bitCnt < n) {
                if (pos >= data.length) throw damaged();
                bitBuf |= data[pos++] << bitCnt;
                bitCnt += 8;
            }
            var v = bitBuf & ((1 << n) - 1);
            bitBuf >>>= n;
            bitCnt -= n;
            return v;
        }
        function ensure(n) {
            if (outPos + n <= out.length) return;
            var size = out.length * 2;
            while (size < outPos + n) size *= 2;
            var bigger = new Uint8Array(size);
            bigger.set(out.subarray(0, outPos));
            out = bigger;
        }
        function decode(h) {
            var code = 0, first = 0, index = 0;
            for (var len = 1; len < 16; len++) {
                code |= bits(1);
                var c = h.count[len];
                if (code - c < first) return h.symbols[index + (code - first)];
                index += c;
                first = (first + c) << 1;
                code <<= 1;
            }
            throw damaged();
        }
        function codes(lit, dist) {
            for (;;) {
                var sym = decode(lit);
                if (sym < 256) {
                    ensure(1);
                    out[outPos++] = sym;
                } else if (sym === 256) {
                    return;
                } else {
                    sym -= 257;
                    if (sym >= 29) throw damaged();
                    var len = LEN_BASE[sym] + bits(LEN_EXTRA[sym]);
                    var ds = decode(dist);
                    if (ds >= 30) throw damaged();
                    var d = DIST_BASE[ds] + bits(DIST_EXTRA[ds]);
                    if (d > outPos) throw damaged();
                    ensure(len);
                    for (var k = 0; k < len; k++, outPos++) out[outPos] = out[outPos - d];
                }
            }
        }
        function dynamic() {
            var nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
            if (nlen > 286 || ndist > 30) throw damaged();
            var lengths = new Uint8Array(19);
            for (var i = 0; i < ncode; i++) lengths[CODE_LENGTH_ORDER[i]] = bits(3);
            var lencode = huffman(lengths);
            var all = new Uint8Array(nlen + ndist);
            var index = 0;
            while (index < nlen + ndist) {
                var sym = decode(lencode);
                if (sym < 16) {
                    all[index++] = sym;
                } else {
                    var value = 0, repeat;
                    if (sym === 16) {
                        if (index === 0) throw damaged();
                        value = all[index - 1];
                        repeat = 3 + bits(2);
                    } else if (sym === 17) {
                        repeat = 3 + bits(3);
                    } else {
                        repeat = 11 + bits(7);
                    }
                    if (index + repeat > nlen + ndist) throw damaged();
                    while (repeat--) all[index++] = value;
                }
            }
            if (all[256] === 0) throw damaged();
            codes(huffman(all.subarray(0, nlen)), huffman(all.subarray(nlen)));
        }

        var last;
        do {
            last = bits(1);
            var type = bits(2);
            if (type === 0) {
                bitBuf = 0;
                bitCnt = 0;
                if (pos + 4 > data.length) throw damaged();
                var len = data[pos] | (data[pos + 1] << 8);
                var nlen = data[pos + 2] | (data[pos + 3] << 8);
                pos += 4;
                if (len !== (~nlen & 0xffff) || pos + len > data.length) throw damaged();
                ensure(len);
                out.set(data.subarray(pos, pos + len), outPos);
                outPos += len;
                pos += len;
            } else if (type === 1) {
                var f = fixedCodes();
                codes(f.lit, f.dist);
            } else if (type === 2) {
                dynamic();
            } else {
                throw damaged();
            }
        } while (!last);
        return out.subarray(0, outPos);
    }

    function u16(b, o) { return b[o] | (b[o + 1] << 8); }
    function u32(b, o) { return (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0; }

    // Returns the bytes of the named entry of a zip archive (the only entry if the name is absent).
    function readZipEntry(zip, wanted) {
        var notZip = ContainerError('the configuration data is not a readable archive (wrong key or damaged file)');
        if (zip.length < 22) throw notZip;
        var eocd = -1;
        for (var p = zip.length - 22; p >= 0 && p >= zip.length - 22 - 65535; p--) {
            if (u32(zip, p) === 0x06054b50) { eocd = p; break; }
        }
        if (eocd < 0) throw notZip;
        var entries = u16(zip, eocd + 10);
        var at = u32(zip, eocd + 16);
        var found = null;
        for (var n = 0; n < entries; n++) {
            if (at + 46 > zip.length || u32(zip, at) !== 0x02014b50) throw notZip;
            var nameLen = u16(zip, at + 28);
            var entry = {
                method: u16(zip, at + 10),
                crc: u32(zip, at + 16),
                compressedSize: u32(zip, at + 20),
                size: u32(zip, at + 24),
                offset: u32(zip, at + 42),
                name: new TextDecoder().decode(zip.subarray(at + 46, at + 46 + nameLen))
            };
            if (entry.name === wanted || (!found && entries === 1)) found = entry;
            at += 46 + nameLen + u16(zip, at + 30) + u16(zip, at + 32);
        }
        if (!found) throw ContainerError('the archive has no entry "' + wanted + '"');
        var lh = found.offset;
        if (lh + 30 > zip.length || u32(zip, lh) !== 0x04034b50) throw notZip;
        var start = lh + 30 + u16(zip, lh + 26) + u16(zip, lh + 28);
        if (start + found.compressedSize > zip.length) throw ContainerError('the archive is truncated');
        var raw = zip.subarray(start, start + found.compressedSize);
        var bytes;
        if (found.method === 0) bytes = raw;
        else if (found.method === 8) bytes = inflateRaw(raw, found.size);
        else throw ContainerError('the archive uses an unknown compression method ' + found.method);
        if (bytes.length !== found.size || crc32(bytes) !== found.crc) {
            throw ContainerError('the configuration failed its checksum (damaged file)');
        }
        return bytes;
    }

    // Base64 text of the container's data element -> text of the configuration document.
    function decodeConfigData(base64Text) {
        if (!String(base64Text).trim()) throw ContainerError('the configuration data is empty');
        var zip = rc4(CONFIG_KEY, base64ToBytes(base64Text));
        var bytes = readZipEntry(zip, 'config.xml');
        return new TextDecoder('utf-8').decode(bytes);
    }

    var container = {
        CONFIG_KEY: CONFIG_KEY,
        base64ToBytes: base64ToBytes,
        rc4: rc4,
        crc32: crc32,
        inflateRaw: inflateRaw,
        readZipEntry: readZipEntry,
        decodeConfigData: decodeConfigData
    };

    if (typeof module !== 'undefined' && module.exports) {
        module.exports = container;
    }
    if (typeof document === 'undefined') return;

    // ---------------------------------------------------------------------------------------
    // Configuration model.
    // ---------------------------------------------------------------------------------------

    var BUTTON_KEYS = ['Zoom', 'TiltAngle', 'AutoPlay', 'BackgroundSound', 'Info', 'Bookmark', 'Thumbnail',
        'FullScreen', 'Help', 'Share', 'Print', 'Download'];

    function parseXml(text, what) {
        var doc = new DOMParser().parseFromString(text, 'application/xml');
        if (doc.getElementsByTagName('parsererror').length || !doc.documentElement) {
            throw ContainerError(what + ' is not well-formed XML');
        }
        return doc;
    }

    function child(el, name) {
        if (!el) return null;
        for (var c = el.firstElementChild; c; c = c.nextElementSibling) if (c.localName === name) return c;
        return null;
    }
    function path(el, names) {
        for (var i = 0; i < names.length && el; i++) el = child(el, names[i]);
        return el;
    }
    function text(el, fallback) {
        return el ? el.textContent.trim() : (fallback === undefined ? '' : fallback);
    }
    function attr(el, name, fallback) {
        return el && el.hasAttribute(name) ? el.getAttribute(name) : (fallback === undefined ? '' : fallback);
    }
    function num(value, fallback) {
        var n = parseFloat(value);
        return isFinite(n) ? n : fallback;
    }
    function isYes(value) {
        return /^(yes|true|1|show|enable)$/i.test(String(value).trim());
    }
    function colour(value, fallback) {
        var n = parseInt(value, 10);
        if (!isFinite(n)) return fallback;
        var hex = ((n >>> 0) & 0xffffff).toString(16);
        return '#' + '000000'.slice(hex.length) + hex;
    }

    // Allow-list for links the configuration or the page list supply.
    function safeUrl(value, schemes) {
        if (value === null || value === undefined) return null;
        var v = String(value).replace(/[\t\n\r]/g, '').replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '');
        if (!v) return null;
        var m = /^([a-zA-Z][a-zA-Z0-9+.-]*):/.exec(v);
        if (!m) return /^[\\/]{2}/.test(v) ? null : v; // relative; no scheme-relative hosts
        return (schemes || ['http', 'https', 'mailto']).indexOf(m[1].toLowerCase()) >= 0 ? v : null;
    }
    // A file of the book, relative to its resource folder ("extfiles/LogoFile.png").
    function bookFile(value) {
        var v = safeUrl(value, ['http', 'https']);
        if (!v || /\.$/.test(v) || /\/$/.test(v)) return null;
        return /^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(v) || v.charAt(0) === '/' ? v : 'files/' + v;
    }

    function parseOutline(ols) {
        function items(parent) {
            var list = [];
            for (var o = parent && parent.firstElementChild; o; o = o.nextElementSibling) {
                if (o.localName !== 'o') continue;
                list.push({
                    caption: text(child(o, 'c')),
                    page: parseInt(text(child(o, 'p')), 10) || 0,
                    level: parseInt(text(child(o, 'l')), 10) || 0,
                    children: items(child(o, 'ci'))
                });
            }
            return list;
        }
        return items(ols);
    }

    function parsePages(pagesEl) {
        var base = attr(pagesEl, 'bace');
        var pages = [];
        for (var p = pagesEl && pagesEl.firstElementChild; p; p = p.nextElementSibling) {
            if (p.localName !== 'Page') continue;
            var page = { normal: null, large: null, thumb: null, links: [] };
            for (var it = p.firstElementChild; it; it = it.nextElementSibling) {
                if (it.localName !== 'Item') continue;
                var name = attr(it, 'name');
                if (name === 'thumb' || name === 'normal' || name === 'large') {
                    page[name] = pageFile(base, it.textContent.trim());
                } else if (name === 'Link') {
                    var link = {
                        action: attr(it, 'action'),
                        x: num(attr(it, 'x'), NaN), y: num(attr(it, 'y'), NaN),
                        width: num(attr(it, 'width'), NaN), height: num(attr(it, 'height'), NaN),
                        href: attr(it, 'href', null),
                        page: 0
                    };
                    if (![link.x, link.y, link.width, link.height].every(isFinite)) continue;
                    if (link.action === 'page') {
                        link.page = parseInt(attr(it, 'pageIndex') || String(link.href || '').replace(/\D+/g, ''), 10) || 0;
                        if (link.page < 1) continue;
                    } else {
                        link.href = safeUrl(link.href);
                        if (!link.href) continue;
                    }
                    page.links.push(link);
                }
            }
            page.large = page.large || page.normal;
            page.thumb = page.thumb || page.normal;
            pages.push(page);
        }
        return pages;
    }

    // Page files are relative to the resource folder; SWF pages ship a JPG picture of the same name.
    function pageFile(base, name) {
        if (!name) return null;
        name = name.replace(/\.swf$/i, '.jpg');
        var url = safeUrl((base || '') + name, ['http', 'https', 'file']);
        if (!url) return null;
        if (/^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(url)) return url;
        if (url.charAt(0) === '/') return (location.protocol === 'file:' ? 'file://' : '') + url;
        return base ? url : 'files/' + url;
    }

    function parseConfig(doc) {
        var rootEl = doc.documentElement;
        var setting = path(rootEl, ['Config', 'Setting']);
        var author = path(rootEl, ['Config', 'Author']);
        var fs = child(setting, 'FolioscopeSetting');
        var bg = child(fs, 'Background');
        var auto = child(fs, 'AutoFlip');
        var logo = child(setting, 'Logo');
        var music = child(setting, 'BackgroundMusic');
        var pagesEl = child(rootEl, 'Pages') || rootEl.getElementsByTagName('Pages')[0] || null;
        var ols = child(rootEl, 'ols') || rootEl.getElementsByTagName('ols')[0] || null;
        var pano = path(setting, ['Template', 'PanoramicImage']);
        var camera = path(setting, ['Template', 'InitSetting', 'Camera']);
        var hidden = {};
        text(child(setting, 'ControlButtonsInvisible')).split(',').forEach(function (k) {
            if (k.trim()) hidden[k.trim()] = true;
        });
        var rtlEl = child(fs, 'RightToLeft') || child(setting, 'RightToLeft');
        var mobility = child(fs, 'Mobility');
        var cfg = {
            author: {
                name: text(child(author, 'Name')),
                email: text(child(author, 'Email')),
                website: text(child(author, 'WebSite')),
                info: author ? (child(author, 'Info') || { textContent: '' }).textContent : ''
            },
            title: text(child(setting, 'Title')),
            baseColor: colour(text(child(setting, 'BaseColor')), '#804000'),
            logo: {
                src: bookFile(text(logo)),
                show: attr(logo, 'displayLogo', 'true') === 'true',
                link: safeUrl(attr(logo, 'link'))
            },
            music: { src: bookFile(text(music)), loop: attr(music, 'circle', '-1') === '-1' },
            download: bookFile(attr(child(setting, 'Download'), 'src')),
            hidden: hidden,
            background: {
                type: text(child(bg, 'BackgroundType'), 'GradientColor'),
                color: colour(text(child(bg, 'Color')), '#808000'),
                start: colour(text(child(bg, 'GradientStartColor')), '#ff9900'),
                end: colour(text(child(bg, 'GradientEndColor')), '#e8ac4d'),
                angle: num(text(child(bg, 'GradientAngle')), 90),
                image: bookFile(text(child(bg, 'ImagePath'))),
                position: text(child(bg, 'Position'), 'Fill')
            },
            autoFlip: {
                enable: isYes(text(child(auto, 'Enable'), 'No')),
                interval: Math.max(1, num(text(child(auto, 'Interval')), 3)),
                loop: parseInt(attr(auto, 'loop', '0'), 10) || 0
            },
            tilt: Math.max(-60, Math.min(60, num(text(child(fs, 'TiltAngle')), 0))),
            autoScale: text(child(fs, 'AutoScale'), 'Yes') !== 'No',
            flipSound: text(child(fs, 'PlayFlipSound'), 'Yes') === 'Yes',
            thickness: Math.max(0, Math.min(10, num(text(child(fs, 'PerPageThickness')), 1))),
            rtl: (rtlEl && isYes(text(rtlEl))) || /^left$/i.test(attr(mobility, 'direction').trim()),
            panorama: {
                faces: {
                    left: bookFile(text(child(pano, 'Left'))), right: bookFile(text(child(pano, 'Right'))),
                    top: bookFile(text(child(pano, 'Top'))), bottom: bookFile(text(child(pano, 'Bottom'))),
                    front: bookFile(text(child(pano, 'Front'))), back: bookFile(text(child(pano, 'Back')))
                },
                pan: num(attr(camera, 'panAngle'), -90),
                tilt: num(attr(camera, 'tiltAngle'), 0)
            },
            pageWidth: num(attr(pagesEl, 'largeWidth'), 0) || num(attr(pagesEl, 'width'), 0),
            pageHeight: num(attr(pagesEl, 'largeHeight'), 0) || num(attr(pagesEl, 'height'), 0),
            normalWidth: num(attr(pagesEl, 'width'), 0),
            normalHeight: num(attr(pagesEl, 'height'), 0),
            pages: parsePages(pagesEl),
            outline: parseOutline(ols)
        };
        return cfg;
    }

    function loadConfigText() {
        if (typeof root.LeafcraftConfigXML === 'string') return Promise.resolve(root.LeafcraftConfigXML);
        if (location.protocol === 'http:' || location.protocol === 'https:') {
            return fetch('files/config.xml').then(function (r) {
                if (!r.ok) throw ContainerError('files/config.xml could not be loaded (' + r.status + ')');
                return r.text();
            });
        }
        return Promise.reject(ContainerError('files/config.js is missing or did not load'));
    }

    function configFromContainer(xmlText) {
        var doc = parseXml(xmlText, 'files/config.xml');
        var rootEl = doc.documentElement;
        if (rootEl.localName === 'data') doc = parseXml(decodeConfigData(rootEl.textContent), 'the book configuration');
        if (doc.documentElement.localName !== 'Folioscope') {
            throw ContainerError('the book configuration has an unknown root element');
        }
        return parseConfig(doc);
    }

    // ---------------------------------------------------------------------------------------
    // Small DOM helpers. Texts always go in as text nodes.
    // ---------------------------------------------------------------------------------------

    function h(tag, props, children) {
        var el = document.createElement(tag);
        if (props) {
            Object.keys(props).forEach(function (k) {
                var v = props[k];
                if (v === null || v === undefined || v === false) return;
                if (k === 'text') el.textContent = v;
                else if (k === 'className') el.className = v;
                else if (k.slice(0, 2) === 'on') el.addEventListener(k.slice(2), v);
                else el.setAttribute(k, v === true ? '' : v);
            });
        }
        (children || []).forEach(function (c) { if (c) el.appendChild(c); });
        return el;
    }

    var ICONS = {
        first: 'M6 5h2v14H6zM20 5v14l-10-7z',
        prev: 'M16 5v14L6 12z',
        next: 'M8 5v14l10-7z',
        last: 'M16 5h2v14h-2zM4 5v14l10-7z',
        Zoom: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10zM9 7h2v2h2v2h-2v2H9v-2H7V9h2z',
        TiltAngle: 'M3 17l4-10h10l4 10zM8.4 9l-2.4 6h12l-2.4-6z',
        AutoPlay: 'M8 5v14l11-7z',
        AutoPause: 'M7 5h4v14H7zM13 5h4v14h-4z',
        BackgroundSound: 'M12 3v10.6A4 4 0 1014 17V7h4V3z',
        Info: 'M11 10h2v7h-2zM11 6h2v2h-2zM12 2a10 10 0 110 20 10 10 0 010-20zm0 2a8 8 0 100 16 8 8 0 000-16z',
        Bookmark: 'M4 5h2v2H4zM8 5h12v2H8zM4 11h2v2H4zM8 11h12v2H8zM4 17h2v2H4zM8 17h12v2H8z',
        Thumbnail: 'M3 3h8v8H3zM13 3h8v8h-8zM3 13h8v8H3zM13 13h8v8h-8z',
        Search: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10z',
        FullScreen: 'M3 3h7v2H5v5H3zM14 3h7v7h-2V5h-5zM3 14h2v5h5v2H3zM19 14h2v7h-7v-2h5z',
        Help: 'M12 2a10 10 0 110 20 10 10 0 010-20zm0 2a8 8 0 100 16 8 8 0 000-16zm-1 11h2v2h-2zm1-9a3.5 3.5 0 012 6.4c-.7.5-1 .9-1 1.6h-2c0-1.5.7-2.3 1.6-3A1.5 1.5 0 1010.5 9.5h-2A3.5 3.5 0 0112 6z',
        Share: 'M18 2a3 3 0 11-2.8 4.1L8.9 9.4a3 3 0 010 1.2l6.3 3.3A3 3 0 1114.6 16l-6.3-3.3a3 3 0 110-5.4l6.3-3.3A3 3 0 0118 2z',
        Print: 'M6 2h12v5H6zM4 8h16a2 2 0 012 2v7h-4v5H6v-5H2v-7a2 2 0 012-2zm4 9v3h8v-3z',
        Download: 'M11 3h2v9l3.5-3.5 1.4 1.4L12 15.8 6.1 9.9l1.4-1.4L11 12zM4 18h16v2H4z',
        close: 'M6.4 5L12 10.6 17.6 5 19 6.4 13.4 12l5.6 5.6-1.4 1.4-5.6-5.6L6.4 19 5 17.6 10.6 12 5 6.4z',
        zoomOut: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10zM7 9h6v2H7z'
    };

    function icon(name) {
        var ns = 'http://www.w3.org/2000/svg';
        var svg = document.createElementNS(ns, 'svg');
        svg.setAttribute('viewBox', '0 0 24 24');
        svg.setAttribute('aria-hidden', 'true');
        var p = document.createElementNS(ns, 'path');
        p.setAttribute('d', ICONS[name] || '');
        svg.appendChild(p);
        return svg;
    }

    // ---------------------------------------------------------------------------------------
    // The book viewer.
    // ---------------------------------------------------------------------------------------

    var FLIP_MS = 650;

    function Player(host) {
        this.host = host;
        this.handlers = {};
        this.images = new Map(); // page number -> Image, the pictures kept loaded
        this.current = 1;
        this.mode = 'spread';
        this.flip = null;
        this.zoomLevel = 0;
        this.autoTimer = null;
        this.searchData = null;
        var self = this;
        this.ready = new Promise(function (resolve, reject) {
            self._resolveReady = resolve;
            self._rejectReady = reject;
        });
        this.ready.catch(function () {});
    }

    Player.prototype.emit = function (name, detail) {
        (this.handlers[name] || []).slice().forEach(function (fn) {
            try { fn(detail); } catch (e) { setTimeout(function () { throw e; }); }
        });
    };

    Player.prototype.start = function () {
        var self = this;
        var params = new URLSearchParams(location.search);
        this.flipMs = params.has('flipms') ? Math.max(0, parseInt(params.get('flipms'), 10) || 0) : FLIP_MS;
        if (root.matchMedia && root.matchMedia('(prefers-reduced-motion: reduce)').matches) this.flipMs = 0;
        return loadConfigText().then(configFromContainer).then(function (cfg) {
            self.cfg = cfg;
            if (params.has('rtl')) cfg.rtl = isYes(params.get('rtl'));
            if (!cfg.pages.length) throw ContainerError('the book has no pages');
            self.build();
            var start = parseInt(params.get('page') || (location.hash.match(/^#page=(\d+)/) || [])[1], 10);
            self.current = start >= 1 && start <= cfg.pages.length ? start : 1;
            self.layout();
            self.render();
            return self.whenPainted();
        }).then(function () {
            self.readyTime = performance.now();
            self._resolveReady(self.api);
            self.emit('ready', { page: self.current });
            self.startMusic();
            if (self.cfg.autoFlip.enable) self.setAutoPlay(true);
        }).catch(function (err) {
            self.showFatal(err);
            self._rejectReady(err);
            self.emit('error', { message: String(err && err.message || err) });
        });
    };

    Player.prototype.showFatal = function (err) {
        var message = (err && err.message) || String(err);
        var box = h('div', { className: 'lc-fatal', role: 'alert' }, [
            h('h1', { text: 'This book cannot be opened' }),
            h('p', { text: message.charAt(0).toUpperCase() + message.slice(1) + '.' })
        ]);
        this.host.textContent = '';
        this.host.appendChild(box);
    };

    // -- building the interface --------------------------------------------------------------

    Player.prototype.build = function () {
        var self = this, cfg = this.cfg;
        var host = this.host;
        host.textContent = '';
        host.classList.add('lc-app');
        // The interface reads left to right; a right-to-left book mirrors its page order, its
        // page navigation and its thumbnails.
        host.classList.toggle('lc-rtl', cfg.rtl);
        host.style.setProperty('--lc-base', cfg.baseColor);
        host.style.setProperty('--lc-on-base', contrastText(cfg.baseColor));
        host.style.setProperty('--lc-flip-ms', this.flipMs + 'ms');

        this.background = h('div', { className: 'lc-background' });
        host.appendChild(this.background);
        this.applyBackground();

        var bar = h('header', { className: 'lc-topbar' });
        if (cfg.logo.src && cfg.logo.show) {
            var img = h('img', { src: cfg.logo.src, alt: '', className: 'lc-logo-img' });
            img.addEventListener('error', function () { img.remove(); });
            var logo = cfg.logo.link
                ? h('a', { className: 'lc-logo', href: cfg.logo.link, target: '_blank', rel: 'noopener noreferrer' }, [img])
                : h('span', { className: 'lc-logo' }, [img]);
            bar.appendChild(logo);
        }
        this.titleEl = h('h1', { className: 'lc-title', text: cfg.title, dir: 'auto' });
        bar.appendChild(this.titleEl);
        host.appendChild(bar);

        this.stage = h('main', { className: 'lc-stage' });
        this.tiltEl = h('div', { className: 'lc-tilt' });
        this.bookEl = h('div', { className: 'lc-book', 'aria-live': 'polite' });
        this.edgeLeft = h('div', { className: 'lc-edge lc-edge-left' });
        this.edgeRight = h('div', { className: 'lc-edge lc-edge-right' });
        this.slotLeft = h('div', { className: 'lc-slot lc-slot-left' });
        this.slotRight = h('div', { className: 'lc-slot lc-slot-right' });
        this.bookEl.appendChild(this.edgeLeft);
        this.bookEl.appendChild(this.edgeRight);
        this.bookEl.appendChild(this.slotLeft);
        this.bookEl.appendChild(this.slotRight);
        this.tiltEl.appendChild(this.bookEl);
        this.stage.appendChild(this.tiltEl);
        host.appendChild(this.stage);
        this.tilted = cfg.tilt !== 0;
        this.applyTilt();

        this.buildToolbar();
        this.panel = h('aside', { className: 'lc-panel', hidden: true, 'aria-label': 'Book panel' });
        host.appendChild(this.panel);
        this.dialogEl = h('div', { className: 'lc-dialog-backdrop', hidden: true });
        this.dialogEl.addEventListener('click', function (e) { if (e.target === self.dialogEl) self.closeDialog(); });
        host.appendChild(this.dialogEl);

        this.bindInput();
        var pending = false;
        root.addEventListener('resize', function () {
            if (pending) return;
            pending = true;
            requestAnimationFrame(function () {
                pending = false;
                var before = self.mode;
                self.layout();
                if (before !== self.mode) self.render();
                else self.centreBook();
                if (self.zoomEl) self.renderZoom();
            });
        });
        if (cfg.panorama && host.getAttribute('data-template') === 'Panoramic') this.buildPanorama();
    };

    function contrastText(hex) {
        var n = parseInt(hex.slice(1), 16);
        var l = 0.299 * ((n >> 16) & 255) + 0.587 * ((n >> 8) & 255) + 0.114 * (n & 255);
        return l > 150 ? '#111111' : '#ffffff';
    }

    Player.prototype.applyBackground = function () {
        var bg = this.cfg.background, s = this.background.style;
        var type = String(bg.type).toLowerCase();
        s.backgroundColor = bg.color;
        if (type.indexOf('image') >= 0 && bg.image) {
            var pos = String(bg.position).toLowerCase();
            s.backgroundImage = 'url("' + encodeURI(bg.image).replace(/"/g, '%22') + '")';
            s.backgroundRepeat = pos === 'tile' ? 'repeat' : 'no-repeat';
            s.backgroundPosition = pos === 'tile' ? 'left top' : 'center';
            s.backgroundSize = pos === 'fill' ? 'cover' : pos === 'fit' ? 'contain'
                : pos === 'stretch' ? '100% 100%' : 'auto';
        } else if (type.indexOf('gradient') >= 0) {
            // A gradient angle of 0 runs left to right and 90 top to bottom.
            s.backgroundImage = 'linear-gradient(' + (bg.angle + 90) + 'deg, ' + bg.start + ', ' + bg.end + ')';
        }
    };

    Player.prototype.buildPanorama = function () {
        var self = this, faces = this.cfg.panorama.faces;
        if (!faces.front) return;
        var probe = new Image();
        probe.onload = function () {
            var pano = h('div', { className: 'lc-pano' });
            var cube = h('div', { className: 'lc-cube' });
            ['front', 'back', 'left', 'right', 'top', 'bottom'].forEach(function (name) {
                if (!faces[name]) return;
                var face = h('div', { className: 'lc-face-' + name + ' lc-cube-face' });
                face.style.backgroundImage = 'url("' + encodeURI(faces[name]).replace(/"/g, '%22') + '")';
                cube.appendChild(face);
            });
            pano.appendChild(cube);
            self.background.appendChild(pano);
            self.pano = { el: pano, cube: cube, pan: self.cfg.panorama.pan, tilt: self.cfg.panorama.tilt };
            self.layoutPanorama();
            // Open on the configured camera and settle to eye level, then drift slowly.
            var t0 = performance.now(), tilt0 = self.pano.tilt;
            function step(now) {
                if (!self.pano) return;
                var k = Math.min(1, (now - t0) / 2500);
                if (!self.pano.dragging) {
                    self.pano.tilt = tilt0 * (1 - (1 - Math.pow(1 - k, 3)));
                    self.pano.pan += 0.02;
                }
                self.layoutPanorama();
                requestAnimationFrame(step);
            }
            if (self.flipMs > 0) requestAnimationFrame(step);
            else { self.pano.tilt = 0; self.layoutPanorama(); }
        };
        probe.src = faces.front;
        this.background.addEventListener('pointerdown', function (e) {
            if (!self.pano) return;
            var x = e.clientX, y = e.clientY, pan = self.pano.pan, tilt = self.pano.tilt;
            self.pano.dragging = true;
            function move(ev) {
                self.pano.pan = pan + (ev.clientX - x) * 0.2;
                self.pano.tilt = Math.max(-85, Math.min(85, tilt - (ev.clientY - y) * 0.2));
                self.layoutPanorama();
            }
            function up() {
                self.pano.dragging = false;
                root.removeEventListener('pointermove', move);
                root.removeEventListener('pointerup', up);
            }
            root.addEventListener('pointermove', move);
            root.addEventListener('pointerup', up);
        });
    };

    Player.prototype.layoutPanorama = function () {
        if (!this.pano) return;
        var w = this.host.clientWidth, hgt = this.host.clientHeight;
        var size = Math.ceil(Math.max(w, hgt));
        var half = size / 2;
        this.pano.el.style.perspective = half + 'px';
        var c = this.pano.cube.style;
        c.width = c.height = size + 'px';
        c.marginLeft = c.marginTop = -half + 'px';
        c.transform = 'translateZ(' + half + 'px) rotateX(' + (-this.pano.tilt) + 'deg) rotateY(' + this.pano.pan + 'deg)';
        var t = {
            front: 'translateZ(' + -half + 'px)',
            back: 'rotateY(180deg) translateZ(' + -half + 'px)',
            left: 'rotateY(90deg) translateZ(' + -half + 'px)',
            right: 'rotateY(-90deg) translateZ(' + -half + 'px)',
            top: 'rotateX(-90deg) translateZ(' + -half + 'px)',
            bottom: 'rotateX(90deg) translateZ(' + -half + 'px)'
        };
        for (var f = this.pano.cube.firstElementChild; f; f = f.nextElementSibling) {
            var name = f.className.replace(/^lc-face-(\w+).*$/, '$1');
            f.style.transform = t[name];
        }
    };

    Player.prototype.buildToolbar = function () {
        var self = this, cfg = this.cfg;
        var bar = h('nav', { className: 'lc-toolbar', 'aria-label': 'Book controls' });
        function button(key, label, action, extra) {
            var b = h('button', { type: 'button', className: 'lc-button', title: label, 'aria-label': label,
                'data-lc-button': key }, [icon(key)]);
            if (extra) Object.keys(extra).forEach(function (k) { b.setAttribute(k, extra[k]); });
            b.addEventListener('click', function (e) { e.stopPropagation(); action.call(self, b); });
            if (cfg.hidden[key]) b.hidden = true;
            return b;
        }
        var nav = h('div', { className: 'lc-group lc-nav', dir: cfg.rtl ? 'rtl' : 'ltr' });
        // Visual order: in a right-to-left book the first page is at the right end.
        nav.appendChild(button('first', 'First page', function () { this.goToPage(1); }));
        nav.appendChild(button('prev', 'Previous page', function () { this.prev(); }));
        this.pageInput = h('input', { className: 'lc-page-input', type: 'text', inputmode: 'numeric',
            'aria-label': 'Page number', size: '4' });
        this.pageInput.addEventListener('change', function () {
            var n = parseInt(self.pageInput.value, 10);
            if (n >= 1) self.goToPage(n);
            else self.updateIndicator();
        });
        this.pageInput.addEventListener('keydown', function (e) { e.stopPropagation(); if (e.key === 'Enter') self.pageInput.blur(); });
        this.pageCountEl = h('span', { className: 'lc-page-count', text: '/ ' + cfg.pages.length });
        nav.appendChild(h('span', { className: 'lc-indicator', dir: 'ltr' }, [this.pageInput, this.pageCountEl]));
        nav.appendChild(button('next', 'Next page', function () { this.next(); }));
        nav.appendChild(button('last', 'Last page', function () { this.goToPage(cfg.pages.length); }));

        var tools = h('div', { className: 'lc-group lc-tools' });
        tools.appendChild(button('Thumbnail', 'Thumbnails', function () { this.togglePanel('thumbnails'); }));
        tools.appendChild(button('Bookmark', 'Table of contents', function () { this.togglePanel('contents'); }));
        tools.appendChild(button('Search', 'Search', function () { this.togglePanel('search'); }));
        tools.appendChild(button('Zoom', 'Zoom', function () { this.zoomEl ? this.closeZoom() : this.openZoom(); }));
        tools.appendChild(button('TiltAngle', 'Tilt the book', function () { this.tilted = !this.tilted; this.applyTilt(); }));
        this.autoButton = button('AutoPlay', 'Turn the pages automatically', function () { this.setAutoPlay(!this.autoTimer); });
        tools.appendChild(this.autoButton);
        this.soundButton = button('BackgroundSound', 'Background music', function () { this.toggleMusic(); });
        if (!cfg.music.src) this.soundButton.hidden = true;
        tools.appendChild(this.soundButton);
        var fsButton = button('FullScreen', 'Full screen', function () { this.toggleFullScreen(); });
        if (!document.fullscreenEnabled) fsButton.hidden = true;
        tools.appendChild(fsButton);
        tools.appendChild(button('Print', 'Print these pages', function () { this.print(); }));
        tools.appendChild(button('Share', 'Share', function () { this.share(); }));
        if (cfg.download && !cfg.hidden.Download) {
            var dl = h('a', { className: 'lc-button', href: cfg.download, download: '', title: 'Download',
                'aria-label': 'Download', 'data-lc-button': 'Download' }, [icon('Download')]);
            tools.appendChild(dl);
        } else {
            tools.appendChild(h('a', { className: 'lc-button', hidden: true, 'data-lc-button': 'Download' }));
        }
        tools.appendChild(button('Info', 'About this book', function () { this.showInfo(); }));
        tools.appendChild(button('Help', 'Help', function () { this.showHelp(); }));
        bar.appendChild(nav);
        bar.appendChild(tools);
        this.toolbar = bar;
        this.host.appendChild(bar);
    };

    Player.prototype.applyTilt = function () {
        var angle = this.tilted ? (this.cfg.tilt || 25) : 0;
        this.tiltEl.style.transform = angle ? 'rotateX(' + angle + 'deg)' : '';
        var b = this.toolbar && this.toolbar.querySelector('[data-lc-button="TiltAngle"]');
        if (b) b.setAttribute('aria-pressed', String(!!angle));
    };

    // -- geometry ----------------------------------------------------------------------------

    Player.prototype.layout = function () {
        var cfg = this.cfg;
        var aspect = cfg.pageWidth > 0 && cfg.pageHeight > 0 ? cfg.pageWidth / cfg.pageHeight : 0;
        if (!aspect) {
            var img = this.images.get(this.current);
            aspect = img && img.naturalWidth ? img.naturalWidth / img.naturalHeight : 0.75;
        }
        this.aspect = aspect;
        var w = this.stage.clientWidth - 32, hgt = this.stage.clientHeight - 32;
        var narrow = w < 600 || w < hgt || cfg.pages.length === 1;
        this.mode = narrow ? 'single' : 'spread';
        var cols = this.mode === 'spread' ? 2 : 1;
        var ph = Math.max(50, Math.min(hgt, w / (cols * aspect)));
        if (!cfg.autoScale && cfg.normalHeight > 0) ph = Math.min(ph, cfg.normalHeight);
        var pw = ph * aspect;
        this.pageW = pw;
        this.pageH = ph;
        var s = this.bookEl.style;
        s.width = Math.round(pw * cols) + 'px';
        s.height = Math.round(ph) + 'px';
        this.bookEl.classList.toggle('lc-single', cols === 1);
        this.bookEl.classList.toggle('lc-spread', cols === 2);
        this.layoutPanorama();
    };

    // The pages shown together with page n: [visual left, visual right]; 0 is no page.
    Player.prototype.viewOf = function (n) {
        var count = this.cfg.pages.length;
        if (this.mode === 'single') return { key: n, left: 0, right: n, pages: [n] };
        var low = n - (n % 2), high = low + 1;
        var a = low >= 1 ? low : 0, b = high <= count ? high : 0;
        var pages = [a, b].filter(Boolean);
        return this.cfg.rtl ? { key: low, left: b, right: a, pages: pages } : { key: low, left: a, right: b, pages: pages };
    };

    Player.prototype.visiblePages = function () { return this.viewOf(this.current).pages; };

    // -- pages -------------------------------------------------------------------------------

    Player.prototype.image = function (n) {
        var img = this.images.get(n);
        if (!img) {
            img = new Image();
            img.decoding = 'async';
            img.src = this.cfg.pages[n - 1].normal || '';
            this.images.set(n, img);
        }
        return img;
    };

    Player.prototype.pageView = function (n, withLinks) {
        var self = this, page = this.cfg.pages[n - 1];
        var el = h('div', { className: 'lc-page', 'data-page': String(n) });
        var img = h('img', { className: 'lc-page-img', alt: 'Page ' + n, draggable: 'false' });
        img.src = page.normal || '';
        img.addEventListener('error', function () { el.classList.add('lc-page-missing'); });
        el.appendChild(img);
        if (withLinks) {
            page.links.forEach(function (link) {
                var a;
                if (link.action === 'page') {
                    a = h('a', { className: 'lc-link lc-link-page', href: '#page=' + link.page,
                        'data-lc-goto': String(link.page), title: 'Go to page ' + link.page });
                    a.addEventListener('click', function (e) {
                        e.preventDefault();
                        e.stopPropagation();
                        self.goToPage(link.page);
                    });
                } else {
                    a = h('a', { className: 'lc-link lc-link-web', href: link.href, target: '_blank',
                        rel: 'noopener noreferrer', title: link.href });
                    a.addEventListener('click', function (e) { e.stopPropagation(); });
                }
                a.addEventListener('pointerdown', function (e) { e.stopPropagation(); });
                a.style.left = (link.x * 100) + '%';
                a.style.top = (link.y * 100) + '%';
                a.style.width = (link.width * 100) + '%';
                a.style.height = (link.height * 100) + '%';
                el.appendChild(a);
            });
        }
        return el;
    };

    Player.prototype.fillSlot = function (slot, n) {
        slot.textContent = '';
        slot.classList.toggle('lc-empty', !n);
        if (n) slot.appendChild(this.pageView(n, true));
    };

    Player.prototype.render = function () {
        this.finishFlip();
        var v = this.viewOf(this.current);
        this.fillSlot(this.slotLeft, v.left);
        this.fillSlot(this.slotRight, v.right);
        this.slotLeft.hidden = this.mode === 'single';
        this.afterMove();
    };

    Player.prototype.afterMove = function () {
        this.centreBook();
        this.updateIndicator();
        this.updateEdges();
        this.preload();
        this.markThumbnail();
        if (this.zoomEl) this.renderZoom();
    };

    Player.prototype.updateIndicator = function () {
        var pages = this.visiblePages();
        this.pageInput.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || this.current);
        var count = this.cfg.pages.length, v = this.viewOf(this.current);
        var atStart = v.pages.indexOf(1) >= 0, atEnd = v.pages.indexOf(count) >= 0;
        var q = function (k) { return this.toolbar.querySelector('[data-lc-button="' + k + '"]'); }.bind(this);
        q('first').disabled = q('prev').disabled = atStart;
        q('last').disabled = q('next').disabled = atEnd;
    };

    // A closed book (the cover, or the back page alone) sits in the middle of the stage.
    Player.prototype.centreBook = function () {
        var v = this.viewOf(this.current), shift = 0;
        if (this.mode === 'spread' && !(v.left && v.right)) shift = (v.left ? 1 : -1) * this.pageW / 2;
        this.bookEl.style.transform = shift ? 'translateX(' + Math.round(shift) + 'px)' : '';
    };

    // Stacked-paper edges whose width follows the pages on each side.
    Player.prototype.updateEdges = function () {
        var count = this.cfg.pages.length, v = this.viewOf(this.current);
        var before = Math.max(0, Math.min.apply(null, v.pages) - 1);
        var after = Math.max(0, count - Math.max.apply(null, v.pages));
        var t = this.cfg.thickness;
        var px = function (n) { return Math.min(14, Math.ceil(n * t * 0.15)); };
        var leftN = this.cfg.rtl ? after : before, rightN = this.cfg.rtl ? before : after;
        var lw = this.mode === 'single' || !v.left ? 0 : px(leftN), rw = v.right ? px(rightN) : 0;
        this.edgeLeft.style.width = lw + 'px';
        this.edgeRight.style.width = rw + 'px';
        this.edgeLeft.hidden = !lw;
        this.edgeRight.hidden = !rw;
    };

    // Keeps the pictures of the views around the current one loaded and drops far ones, so a
    // book of any length costs the same to open and to read.
    Player.prototype.preload = function () {
        var self = this, count = this.cfg.pages.length;
        var step = this.mode === 'spread' ? 2 : 1;
        var v = this.viewOf(this.current);
        var lo = Math.max(1, Math.min.apply(null, v.pages) - step);
        var hi = Math.min(count, Math.max.apply(null, v.pages) + 2 * step);
        for (var n = lo; n <= hi; n++) this.image(n);
        this.images.forEach(function (img, n) {
            if (n < lo - 6 || n > hi + 6) self.images.delete(n);
        });
    };

    Player.prototype.whenPainted = function () {
        var self = this;
        var imgs = Array.prototype.slice.call(this.bookEl.querySelectorAll('.lc-slot img'));
        return Promise.all(imgs.map(function (img) {
            if (img.complete) return img.naturalWidth ? img.decode().catch(function () {}) : null;
            return new Promise(function (resolve) {
                img.addEventListener('load', resolve);
                img.addEventListener('error', resolve);
            }).then(function () { return img.naturalWidth ? img.decode().catch(function () {}) : null; });
        })).then(function () {
            if (!self.cfg.pageWidth) { self.layout(); }
            return new Promise(function (resolve) {
                requestAnimationFrame(function () { requestAnimationFrame(resolve); });
            });
        });
    };

    // -- turning pages -----------------------------------------------------------------------

    Player.prototype.clamp = function (n) {
        return Math.max(1, Math.min(this.cfg.pages.length, Math.round(n) || 1));
    };

    Player.prototype.goToPage = function (n) {
        n = this.clamp(n);
        var from = this.viewOf(this.current), to = this.viewOf(n);
        if (to.key === from.key) {
            this.current = n;
            this.updateIndicator();
            return Promise.resolve(this.current);
        }
        var forward = to.key > from.key;
        this.current = n;
        var done = this.animateTurn(from, to, forward);
        this.emit('pagechange', { page: this.current, pages: to.pages });
        this.playFlipSound();
        return done;
    };

    Player.prototype.next = function () {
        var v = this.viewOf(this.current);
        var last = Math.max.apply(null, v.pages);
        return this.goToPage(this.mode === 'spread' ? v.key + 2 : last + 1);
    };

    Player.prototype.prev = function () {
        var v = this.viewOf(this.current);
        if (this.mode === 'single') return this.goToPage(this.current - 1);
        return this.goToPage(Math.max(1, v.key - 1));
    };

    // A forward turn lifts the outer page on the reading side: the right side in a
    // left-to-right book and the left side in a right-to-left one.
    Player.prototype.animateTurn = function (from, to, forward) {
        this.finishFlip();
        var self = this;
        var fromRight = forward !== this.cfg.rtl;
        var single = this.mode === 'single';
        if (!this.flipMs) {
            this.fillSlot(this.slotLeft, to.left);
            this.fillSlot(this.slotRight, to.right);
            this.afterMove();
            return Promise.resolve(this.current);
        }
        var leaf = h('div', { className: 'lc-leaf' });
        var front = h('div', { className: 'lc-leaf-face lc-leaf-front' });
        var back = h('div', { className: 'lc-leaf-face lc-leaf-back' });
        var shade = h('div', { className: 'lc-leaf-shade' });
        leaf.appendChild(front);
        leaf.appendChild(back);
        leaf.appendChild(shade);
        var endAngle;
        if (single) {
            // One page: the old page lifts away, or the new one lays itself down on top.
            leaf.classList.add('lc-leaf-full');
            leaf.style.transformOrigin = this.cfg.rtl ? 'right center' : 'left center';
            var away = this.cfg.rtl ? 180 : -180;
            if (forward) {
                front.appendChild(this.pageView(from.right, false));
                this.fillSlot(this.slotRight, to.right);
                leaf.style.transform = 'rotateY(0deg)';
                endAngle = away;
            } else {
                front.appendChild(this.pageView(to.right, false));
                leaf.style.transform = 'rotateY(' + away + 'deg)';
                endAngle = 0;
            }
        } else if (fromRight) {
            leaf.classList.add('lc-leaf-right');
            if (from.right) front.appendChild(this.pageView(from.right, false)); else leaf.classList.add('lc-front-blank');
            if (to.left) back.appendChild(this.pageView(to.left, false)); else leaf.classList.add('lc-back-blank');
            this.fillSlot(this.slotRight, to.right);
            leaf.style.transform = 'rotateY(0deg)';
            endAngle = -180;
        } else {
            leaf.classList.add('lc-leaf-left');
            if (from.left) front.appendChild(this.pageView(from.left, false)); else leaf.classList.add('lc-front-blank');
            if (to.right) back.appendChild(this.pageView(to.right, false)); else leaf.classList.add('lc-back-blank');
            this.fillSlot(this.slotLeft, to.left);
            leaf.style.transform = 'rotateY(0deg)';
            endAngle = 180;
        }
        this.bookEl.appendChild(leaf);
        this.afterMove();
        return new Promise(function (resolve) {
            var flip = {
                leaf: leaf,
                done: false,
                finish: function () {
                    if (flip.done) return;
                    flip.done = true;
                    clearTimeout(flip.timer);
                    leaf.remove();
                    if (!single) {
                        if (fromRight) self.fillSlot(self.slotLeft, to.left);
                        else self.fillSlot(self.slotRight, to.right);
                    } else if (!forward) {
                        self.fillSlot(self.slotRight, to.right);
                    }
                    self.updateEdges();
                    if (self.flip === flip) self.flip = null;
                    self.emit('flip', { page: self.current });
                    resolve(self.current);
                }
            };
            self.flip = flip;
            leaf.getBoundingClientRect(); // start the transition from the first frame
            requestAnimationFrame(function () {
                if (flip.done) return;
                leaf.classList.add('lc-turning');
                leaf.style.transform = 'rotateY(' + endAngle + 'deg)';
            });
            flip.timer = setTimeout(flip.finish, self.flipMs + 60);
        });
    };

    Player.prototype.finishFlip = function () {
        if (this.flip) this.flip.finish();
    };

    // -- input -------------------------------------------------------------------------------

    Player.prototype.bindInput = function () {
        var self = this;
        document.addEventListener('keydown', function (e) {
            var t = e.target;
            if (e.altKey || e.ctrlKey || e.metaKey) return;
            if (t && (t.tagName === 'INPUT' || t.tagName === 'TEXTAREA' || t.isContentEditable)) {
                if (e.key === 'Escape') t.blur();
                return;
            }
            // Space and Enter on a focused control belong to that control.
            if ((e.key === ' ' || e.key === 'Enter') && t && t.closest && t.closest('button, a')) return;
            var rtl = self.cfg.rtl, handled = true;
            switch (e.key) {
            case 'ArrowRight': rtl ? self.prev() : self.next(); break;
            case 'ArrowLeft': rtl ? self.next() : self.prev(); break;
            case 'PageDown': case ' ': self.next(); break;
            case 'PageUp': self.prev(); break;
            case 'Home': self.goToPage(1); break;
            case 'End': self.goToPage(self.cfg.pages.length); break;
            case 'Escape': self.closeAll(); break;
            case '+': case '=': if (!self.cfg.hidden.Zoom) self.openZoom(); break;
            case '-': if (self.zoomEl) self.zoomBy(-1); break;
            default: handled = false;
            }
            if (handled) e.preventDefault();
        });
        root.addEventListener('hashchange', function () {
            var m = /^#page=(\d+)$/.exec(location.hash);
            if (m) self.goToPage(parseInt(m[1], 10));
        });
        var start = null;
        this.stage.addEventListener('pointerdown', function (e) {
            start = { x: e.clientX, y: e.clientY, t: performance.now() };
        });
        this.stage.addEventListener('pointerup', function (e) {
            if (!start) return;
            var dx = e.clientX - start.x, dy = e.clientY - start.y;
            start = null;
            if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy)) {
                // A swipe drags the page toward the way it turns.
                (dx < 0) !== self.cfg.rtl ? self.next() : self.prev();
                return;
            }
            if (Math.abs(dx) > 8 || Math.abs(dy) > 8) return;
            var box = self.bookEl.getBoundingClientRect();
            if (e.clientX < box.left || e.clientX > box.right || e.clientY < box.top || e.clientY > box.bottom) return;
            var onRight = e.clientX > box.left + box.width / 2;
            if (self.mode === 'single') {
                var third = box.width / 3;
                if (e.clientX > box.right - third) onRight = true;
                else if (e.clientX < box.left + third) onRight = false;
                else return;
            }
            onRight !== self.cfg.rtl ? self.next() : self.prev();
        });
        ['pointerdown', 'keydown'].forEach(function (type) {
            document.addEventListener(type, function () { self.userActed(); }, { once: true, capture: true });
        });
    };

    Player.prototype.closeAll = function () {
        if (this.dialogEl && !this.dialogEl.hidden) return this.closeDialog();
        if (this.zoomEl) return this.closeZoom();
        if (!this.panel.hidden) return this.togglePanel(null);
    };

    // -- side panel: thumbnails, contents, search --------------------------------------------

    Player.prototype.togglePanel = function (kind) {
        var open = kind && this.panelKind !== kind;
        this.panelKind = open ? kind : null;
        this.panel.hidden = !open;
        var buttons = { thumbnails: 'Thumbnail', contents: 'Bookmark', search: 'Search' };
        var tb = this.toolbar;
        Object.keys(buttons).forEach(function (k) {
            var b = tb.querySelector('[data-lc-button="' + buttons[k] + '"]');
            if (b) b.setAttribute('aria-pressed', String(open && k === kind));
        });
        if (!open) return;
        this.panel.textContent = '';
        var self = this;
        var head = h('div', { className: 'lc-panel-head' }, [
            h('h2', { text: kind === 'thumbnails' ? 'Pages' : kind === 'contents' ? 'Contents' : 'Search' }),
            h('button', { type: 'button', className: 'lc-button lc-close', 'aria-label': 'Close', title: 'Close',
                onclick: function () { self.togglePanel(null); } }, [icon('close')])
        ]);
        this.panel.appendChild(head);
        if (kind === 'thumbnails') this.buildThumbnails();
        else if (kind === 'contents') this.buildContents();
        else this.buildSearch();
    };

    Player.prototype.buildThumbnails = function () {
        var self = this;
        var list = h('ol', { className: 'lc-thumbs', dir: this.cfg.rtl ? 'rtl' : 'ltr' });
        var observer = 'IntersectionObserver' in root ? new IntersectionObserver(function (entries) {
            entries.forEach(function (en) {
                if (!en.isIntersecting) return;
                var img = en.target;
                img.src = img.getAttribute('data-src');
                observer.unobserve(img);
            });
        }, { root: this.panel, rootMargin: '300px' }) : null;
        var aspect = this.aspect || 0.75;
        this.cfg.pages.forEach(function (page, i) {
            var n = i + 1;
            var img = h('img', { alt: '', 'data-src': page.thumb || '', draggable: 'false' });
            img.style.aspectRatio = String(aspect);
            if (observer) observer.observe(img); else img.src = page.thumb || '';
            var b = h('button', { type: 'button', className: 'lc-thumb', 'data-page': String(n),
                'aria-label': 'Page ' + n }, [img, h('span', { text: String(n) })]);
            b.addEventListener('click', function () { self.goToPage(n); });
            list.appendChild(h('li', null, [b]));
        });
        this.thumbList = list;
        this.panel.appendChild(list);
        this.markThumbnail(true);
    };

    Player.prototype.markThumbnail = function (scroll) {
        if (!this.thumbList || this.panel.hidden || this.panelKind !== 'thumbnails') return;
        var pages = this.visiblePages();
        var marked = this.thumbList.querySelectorAll('.lc-current');
        for (var i = 0; i < marked.length; i++) marked[i].classList.remove('lc-current');
        var first = null;
        pages.forEach(function (n) {
            var b = this.thumbList.querySelector('[data-page="' + n + '"]');
            if (b) { b.classList.add('lc-current'); first = first || b; }
        }, this);
        if (scroll && first) first.scrollIntoView({ block: 'center' });
    };

    Player.prototype.buildContents = function () {
        var self = this;
        if (!this.cfg.outline.length) {
            this.panel.appendChild(h('p', { className: 'lc-empty-note', text: 'This book has no table of contents.' }));
            return;
        }
        function list(items) {
            var ul = h('ul', { className: 'lc-toc' });
            items.forEach(function (item) {
                var b = h('button', { type: 'button', className: 'lc-toc-item', 'data-page': String(item.page) }, [
                    h('span', { className: 'lc-toc-caption', text: item.caption, dir: 'auto' }),
                    h('span', { className: 'lc-toc-page', text: item.page > 0 ? String(item.page) : '' })
                ]);
                b.addEventListener('click', function () { if (item.page > 0) self.goToPage(item.page); });
                ul.appendChild(h('li', null, [b, item.children.length ? list(item.children) : null]));
            });
            return ul;
        }
        this.panel.appendChild(list(this.cfg.outline));
    };

    Player.prototype.buildSearch = function () {
        var self = this;
        var input = h('input', { type: 'search', className: 'lc-search-input', placeholder: 'Find in this book',
            'aria-label': 'Find in this book' });
        var results = h('ol', { className: 'lc-results', 'aria-live': 'polite' });
        var status = h('p', { className: 'lc-search-status' });
        var form = h('form', { className: 'lc-search-form' }, [input]);
        form.addEventListener('submit', function (e) {
            e.preventDefault();
            var q = input.value;
            results.textContent = '';
            status.textContent = 'Searching…';
            self.search(q).then(function (hits) {
                status.textContent = !normalise(q) ? '' : hits.length ? hits.length + (hits.length === 1 ? ' page' : ' pages')
                    : 'No page holds "' + q.trim() + '".';
                hits.slice(0, 500).forEach(function (n) {
                    var b = h('button', { type: 'button', className: 'lc-result', 'data-page': String(n) }, [
                        h('span', { className: 'lc-result-page', text: 'Page ' + n }),
                        h('span', { className: 'lc-result-text', text: snippet(self.searchData[n - 1], q), dir: 'auto' })
                    ]);
                    b.addEventListener('click', function () { self.goToPage(n); });
                    results.appendChild(h('li', null, [b]));
                });
            }, function (err) {
                status.textContent = err.message;
            });
        });
        this.panel.appendChild(form);
        this.panel.appendChild(status);
        this.panel.appendChild(results);
        setTimeout(function () { input.focus(); });
    };

    function normalise(s) {
        return String(s || '').replace(/\s+/g, ' ').trim().toLocaleLowerCase();
    }

    function snippet(textOfPage, q) {
        var t = String(textOfPage || '').replace(/\s+/g, ' ');
        var i = t.toLocaleLowerCase().indexOf(normalise(q));
        if (i < 0) return t.slice(0, 80);
        var from = Math.max(0, i - 30);
        return (from ? '…' : '') + t.slice(from, i + q.length + 50) + '…';
    }

    Player.prototype.loadSearchData = function () {
        var self = this;
        if (this.searchLoad) return this.searchLoad;
        this.searchLoad = new Promise(function (resolve, reject) {
            if (Array.isArray(root.LeafcraftSearchText)) return resolve(root.LeafcraftSearchText);
            var s = document.createElement('script');
            s.src = 'files/search/search.js';
            s.onload = function () {
                if (Array.isArray(root.LeafcraftSearchText)) resolve(root.LeafcraftSearchText);
                else reject(new Error('The search data of this book is damaged.'));
            };
            s.onerror = function () { reject(new Error('This book has no search data.')); };
            document.head.appendChild(s);
        }).then(function (data) {
            self.searchData = data.map(function (t) { return typeof t === 'string' ? t : ''; });
            self.searchIndex = self.searchData.map(normalise);
            return self.searchData;
        });
        this.searchLoad.catch(function () { self.searchLoad = null; });
        return this.searchLoad;
    };

    Player.prototype.search = function (q) {
        var self = this, needle = normalise(q);
        if (!needle) return Promise.resolve([]);
        return this.loadSearchData().then(function () {
            var hits = [];
            var count = Math.min(self.searchIndex.length, self.cfg.pages.length);
            for (var i = 0; i < count; i++) if (self.searchIndex[i].indexOf(needle) >= 0) hits.push(i + 1);
            return hits;
        });
    };

    // -- zoom --------------------------------------------------------------------------------

    // The zoomed view shows the large pictures (twice the page's point size) at up to their own
    // resolution, so text stays sharp.
    Player.prototype.openZoom = function () {
        if (this.zoomEl) return this.zoomBy(1);
        var self = this;
        this.zoomLevel = 1;
        this.zoomEl = h('div', { className: 'lc-zoom', role: 'dialog', 'aria-label': 'Zoomed pages' });
        this.zoomInner = h('div', { className: 'lc-zoom-inner' });
        var tools = h('div', { className: 'lc-zoom-tools' }, [
            h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Zoom in', title: 'Zoom in',
                onclick: function () { self.zoomBy(1); } }, [icon('Zoom')]),
            h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Zoom out', title: 'Zoom out',
                onclick: function () { self.zoomBy(-1); } }, [icon('zoomOut')]),
            h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Close zoom', title: 'Close',
                onclick: function () { self.closeZoom(); } }, [icon('close')])
        ]);
        this.zoomEl.appendChild(this.zoomInner);
        this.zoomEl.appendChild(tools);
        this.host.appendChild(this.zoomEl);
        // Drag to pan.
        var drag = null;
        this.zoomEl.addEventListener('pointerdown', function (e) {
            if (e.pointerType !== 'mouse' || e.target.closest('button')) return; // touch scrolls natively
            drag = { x: e.clientX, y: e.clientY, l: self.zoomEl.scrollLeft, t: self.zoomEl.scrollTop };
        });
        this.zoomEl.addEventListener('pointermove', function (e) {
            if (!drag) return;
            self.zoomEl.scrollLeft = drag.l - (e.clientX - drag.x);
            self.zoomEl.scrollTop = drag.t - (e.clientY - drag.y);
        });
        this.zoomEl.addEventListener('pointerup', function () { drag = null; });
        this.renderZoom();
    };

    Player.prototype.zoomBy = function (d) {
        this.zoomLevel = Math.max(1, Math.min(3, this.zoomLevel + d));
        this.renderZoom();
    };

    Player.prototype.renderZoom = function () {
        var self = this;
        var pages = this.viewOf(this.current);
        var order = [pages.left, pages.right].filter(Boolean);
        this.zoomInner.textContent = '';
        var factor = 1 + this.zoomLevel * 0.75; // 1.75x, 2.5x, 3.25x of the page as shown
        var zoomEl = this.zoomEl;
        var centre = function () {
            zoomEl.scrollLeft = (zoomEl.scrollWidth - zoomEl.clientWidth) / 2;
        };
        order.forEach(function (n) {
            var img = h('img', { className: 'lc-zoom-img', alt: 'Page ' + n, draggable: 'false' });
            var want = self.pageW * factor;
            img.style.width = Math.round(want) + 'px';
            img.style.aspectRatio = String(self.aspect);
            // Never enlarge a picture past its own pixels once they are known: beyond that the
            // view gets bigger, not sharper.
            img.addEventListener('load', function () {
                var limit = Math.max(img.naturalWidth, self.pageW * 1.5);
                img.style.width = Math.round(Math.min(want, limit)) + 'px';
                centre();
            });
            img.src = self.cfg.pages[n - 1].large || '';
            self.zoomInner.appendChild(img);
        });
        centre();
    };

    Player.prototype.closeZoom = function () {
        if (!this.zoomEl) return;
        this.zoomEl.remove();
        this.zoomEl = null;
    };

    // -- dialogs -----------------------------------------------------------------------------

    Player.prototype.openDialog = function (title, body) {
        var self = this;
        this.dialogEl.textContent = '';
        var box = h('div', { className: 'lc-dialog', role: 'dialog', 'aria-modal': 'true', 'aria-label': title }, [
            h('div', { className: 'lc-panel-head' }, [
                h('h2', { text: title }),
                h('button', { type: 'button', className: 'lc-button lc-close', 'aria-label': 'Close', title: 'Close',
                    onclick: function () { self.closeDialog(); } }, [icon('close')])
            ])
        ].concat(body));
        this.dialogEl.appendChild(box);
        this.dialogEl.hidden = false;
        var close = box.querySelector('.lc-close');
        if (close) close.focus();
    };

    Player.prototype.closeDialog = function () {
        this.dialogEl.hidden = true;
        this.dialogEl.textContent = '';
    };

    Player.prototype.showInfo = function () {
        var a = this.cfg.author, rows = [];
        rows.push(h('p', { className: 'lc-info-title', text: this.cfg.title, dir: 'auto' }));
        if (a.name) rows.push(h('p', null, [document.createTextNode('By '), h('bdi', { text: a.name })]));
        var email = a.email && safeUrl('mailto:' + a.email);
        if (email) rows.push(h('p', null, [h('a', { href: email, text: a.email })]));
        var site = a.website && safeUrl(/^[a-z][a-z0-9+.-]*:/i.test(a.website) ? a.website : 'http://' + a.website);
        if (site) rows.push(h('p', null, [h('a', { href: site, target: '_blank', rel: 'noopener noreferrer', text: a.website })]));
        if (a.info) rows.push(h('p', { className: 'lc-info-text', text: a.info, dir: 'auto' }));
        rows.push(h('p', { className: 'lc-info-pages', text: this.cfg.pages.length + ' pages' }));
        this.openDialog('About this book', rows);
    };

    Player.prototype.showHelp = function () {
        var keys = [
            ['→ / ←', this.cfg.rtl ? 'previous / next page' : 'next / previous page'],
            ['Page Down / Page Up', 'next / previous page'],
            ['Home / End', 'first / last page'],
            ['+ / −', 'zoom in / out'],
            ['Escape', 'close zoom, panels and dialogs'],
            ['Swipe or click a page', 'turn the page']
        ];
        var dl = h('dl', { className: 'lc-help' });
        keys.forEach(function (k) {
            dl.appendChild(h('dt', { text: k[0] }));
            dl.appendChild(h('dd', { text: k[1] }));
        });
        this.openDialog('Help', [dl]);
    };

    Player.prototype.share = function () {
        var url = location.href.replace(/#.*$/, '') + '#page=' + this.current;
        var title = this.cfg.title;
        if (navigator.share && /^https?:$/.test(location.protocol)) {
            navigator.share({ title: title, url: url }).catch(function () {});
            return;
        }
        var field = h('input', { type: 'text', className: 'lc-share-url', readonly: true, value: url,
            'aria-label': 'Link to this page' });
        var copy = h('button', { type: 'button', className: 'lc-text-button', text: 'Copy link' });
        copy.addEventListener('click', function () {
            field.select();
            var done = function () { copy.textContent = 'Copied'; };
            if (navigator.clipboard) navigator.clipboard.writeText(url).then(done, function () { document.execCommand('copy'); done(); });
            else { document.execCommand('copy'); done(); }
        });
        var mail = h('a', { className: 'lc-text-button',
            href: 'mailto:?subject=' + encodeURIComponent(title) + '&body=' + encodeURIComponent(url), text: 'Send by e-mail' });
        this.openDialog('Share', [field, h('p', null, [copy, mail])]);
    };

    // -- print, full screen, sound -----------------------------------------------------------

    Player.prototype.print = function () {
        var self = this;
        var sheet = h('div', { className: 'lc-print' });
        this.visiblePages().forEach(function (n) {
            sheet.appendChild(h('img', { src: self.cfg.pages[n - 1].large || '', alt: 'Page ' + n }));
        });
        document.body.appendChild(sheet);
        var imgs = Array.prototype.slice.call(sheet.querySelectorAll('img'));
        Promise.all(imgs.map(function (i) { return i.decode().catch(function () {}); })).then(function () {
            root.print();
            sheet.remove();
        });
    };

    Player.prototype.toggleFullScreen = function () {
        if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
        else document.documentElement.requestFullscreen().catch(function () {});
    };

    Player.prototype.userActed = function () {
        this.audioAllowed = true;
        if (this.music && this.musicWanted && this.music.paused) this.music.play().catch(function () {});
    };

    Player.prototype.startMusic = function () {
        if (!this.cfg.music.src) return;
        this.music = new Audio();
        this.music.loop = this.cfg.music.loop;
        this.music.preload = 'auto';
        this.music.src = this.cfg.music.src;
        this.musicWanted = true;
        this.music.play().catch(function () {}); // browsers may wait for the first gesture
        this.soundButton.setAttribute('aria-pressed', 'true');
    };

    Player.prototype.toggleMusic = function () {
        if (!this.music) return;
        this.musicWanted = !this.musicWanted;
        if (this.musicWanted) this.music.play().catch(function () {});
        else this.music.pause();
        this.soundButton.setAttribute('aria-pressed', String(this.musicWanted));
    };

    // A short rustle made on the fly: the book needs no sound file for it.
    Player.prototype.playFlipSound = function () {
        if (!this.cfg.flipSound || !this.audioAllowed || !this.flipMs) return;
        var Ctx = root.AudioContext || root.webkitAudioContext;
        if (!Ctx) return;
        try {
            var ctx = this.audio || (this.audio = new Ctx());
            var len = Math.floor(ctx.sampleRate * 0.35);
            var buf = ctx.createBuffer(1, len, ctx.sampleRate);
            var d = buf.getChannelData(0);
            var seed = 12345;
            for (var i = 0; i < len; i++) {
                seed = (seed * 1103515245 + 12345) & 0x7fffffff;
                var env = Math.sin(Math.PI * i / len) * Math.pow(1 - i / len, 1.5);
                d[i] = ((seed / 0x7fffffff) * 2 - 1) * env * 0.35;
            }
            var src = ctx.createBufferSource();
            src.buffer = buf;
            var filter = ctx.createBiquadFilter();
            filter.type = 'bandpass';
            filter.frequency.value = 2400;
            filter.Q.value = 0.6;
            src.connect(filter);
            filter.connect(ctx.destination);
            src.start();
        } catch (e) { /* sound is a nicety */ }
    };

    // Auto-flip: turns a page every interval; at the end it starts again from the first page
    // `loop` more times (a negative count: for ever), then stops.
    Player.prototype.setAutoPlay = function (on) {
        var self = this;
        clearInterval(this.autoTimer);
        this.autoTimer = null;
        if (on) {
            this.loopsLeft = this.cfg.autoFlip.loop;
            this.autoTimer = setInterval(function () {
                var v = self.viewOf(self.current);
                if (v.pages.indexOf(self.cfg.pages.length) >= 0) {
                    if (self.loopsLeft === 0) return self.setAutoPlay(false);
                    if (self.loopsLeft > 0) self.loopsLeft--;
                    self.goToPage(1);
                } else {
                    self.next();
                }
            }, this.cfg.autoFlip.interval * 1000);
        }
        if (this.autoButton) {
            this.autoButton.setAttribute('aria-pressed', String(on));
            this.autoButton.replaceChild(icon(on ? 'AutoPause' : 'AutoPlay'), this.autoButton.firstChild);
        }
    };

    // ---------------------------------------------------------------------------------------
    // Start-up and the public object.
    // ---------------------------------------------------------------------------------------

    function boot() {
        var host = document.getElementById('leafcraft-book');
        if (!host) {
            host = document.createElement('div');
            host.id = 'leafcraft-book';
            document.body.appendChild(host);
        }
        if (!host.hasAttribute('data-template') && document.body.getAttribute('data-template')) {
            host.setAttribute('data-template', document.body.getAttribute('data-template'));
        }
        var player = new Player(host);
        var api = {
            ready: player.ready,
            get pageCount() { return player.cfg ? player.cfg.pages.length : 0; },
            get currentPage() { return player.current; },
            get visiblePages() { return player.cfg ? player.visiblePages() : []; },
            get outline() { return player.cfg ? JSON.parse(JSON.stringify(player.cfg.outline)) : []; },
            get rightToLeft() { return !!(player.cfg && player.cfg.rtl); },
            get title() { return player.cfg ? player.cfg.title : ''; },
            get readyTime() { return player.readyTime; },
            next: function () { return player.cfg ? player.next() : Promise.resolve(0); },
            prev: function () { return player.cfg ? player.prev() : Promise.resolve(0); },
            goToPage: function (n) { return player.cfg ? player.goToPage(n) : Promise.resolve(0); },
            search: function (q) { return player.ready.then(function () { return player.search(q); }); },
            on: function (event, handler) {
                if (typeof handler !== 'function') return api;
                (player.handlers[event] = player.handlers[event] || []).push(handler);
                return api;
            },
            off: function (event, handler) {
                var list = player.handlers[event] || [];
                var i = list.indexOf(handler);
                if (i >= 0) list.splice(i, 1);
                return api;
            }
        };
        player.api = api;
        root.LeafcraftBook = api;
        player.start();
    }

    root.LeafcraftContainer = container;
    if (document.getElementById('leafcraft-book') || document.readyState !== 'loading') boot();
    else document.addEventListener('DOMContentLoaded', boot);
})(typeof window !== 'undefined' ? window : globalThis);
