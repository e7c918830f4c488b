// The book configuration: where it comes from (files/config.js, or files/config.xml from a web
// server) and the model the player works from. Every value read from it is data: links pass a
// scheme allow-list (http, https, mailto, relative) before they become an href.
import { ContainerError, decodeConfigData } from './container.js';
import { root } from './dom.js';

export function parseXml(text, what) {
    var doc = new DOMParser().parseFromString(text, 'application/xml');
    if (doc.getElementsByTagName('parsererror').length || !doc.documentElement) {
        throw ContainerError(what + ' is not well-formed XML');
    }
    return doc;
}

export function child(el, name) {
    if (!el) return null;
    for (var c = el.firstElementChild; c; c = c.nextElementSibling) if (c.localName === name) return c;
    return null;
}
export function path(el, names) {
    for (var i = 0; i < names.length && el; i++) el = child(el, names[i]);
    return el;
}
export function text(el, fallback) {
    return el ? el.textContent.trim() : (fallback === undefined ? '' : fallback);
}
export function attr(el, name, fallback) {
    return el && el.hasAttribute(name) ? el.getAttribute(name) : (fallback === undefined ? '' : fallback);
}
export function num(value, fallback) {
    var n = parseFloat(value);
    return isFinite(n) ? n : fallback;
}
export function isYes(value) {
    return /^(yes|true|1|show|enable)$/i.test(String(value).trim());
}
export function colour(value, fallback) {
    var n = parseInt(value, 10);
    if (!isFinite(n)) return fallback;
    var hex = ((n >>> 0) & 0xffffff).toString(16);
    return '#' + '000000'.slice(hex.length) + hex;
}

// Allow-list for links the configuration or the page list supply.
export function safeUrl(value, schemes) {
    if (value === null || value === undefined) return null;
    var v = String(value).replace(/[\t\n\r]/g, '').replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '');
    if (!v) return null;
    var m = /^([a-zA-Z][a-zA-Z0-9+.-]*):/.exec(v);
    if (!m) return /^[\\/]{2}/.test(v) ? null : v; // relative; no scheme-relative hosts
    return (schemes || ['http', 'https', 'mailto']).indexOf(m[1].toLowerCase()) >= 0 ? v : null;
}
// A file of the book, relative to its resource folder ("extfiles/LogoFile.png").
export function bookFile(value) {
    var v = safeUrl(value, ['http', 'https']);
    if (!v || /\.$/.test(v) || /\/$/.test(v)) return null;
    return /^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(v) || v.charAt(0) === '/' ? v : 'files/' + v;
}

export function parseOutline(ols) {
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

export function parsePages(pagesEl) {
    var base = attr(pagesEl, 'bace');
    var pages = [];
    for (var p = pagesEl && pagesEl.firstElementChild; p; p = p.nextElementSibling) {
        if (p.localName !== 'Page') continue;
        // width/height: the page's own size (any unit, only their ratio counts); items: what
        // the page editor placed on the page, for the modules that draw them.
        var width = num(attr(p, 'width'), 0), height = num(attr(p, 'height'), 0);
        var page = { normal: null, large: null, thumb: null, links: [], items: [],
            width: width > 0 && height > 0 ? width : 0, height: width > 0 && height > 0 ? height : 0 };
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
                    title: String(attr(it, 'title', '') || '').trim(),
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
            } else if (name) {
                var item = {};
                for (var i = 0; i < it.attributes.length; i++) item[it.attributes[i].name] = it.attributes[i].value;
                page.items.push(item);
            }
        }
        page.large = page.large || page.normal;
        page.thumb = page.thumb || page.normal;
        pages.push(page);
    }
    return pages;
}

// Page files are relative to the resource folder; SWF pages ship a JPG picture of the same name.
export function pageFile(base, name) {
    if (!name) return null;
    name = name.replace(/\.swf$/i, '.jpg');
    var url = safeUrl((base || '') + name, ['http', 'https', 'file']);
    if (!url) return null;
    if (/^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(url)) return url;
    if (url.charAt(0) === '/') return (location.protocol === 'file:' ? 'file://' : '') + url;
    return base ? url : 'files/' + url;
}

export function parseConfig(doc) {
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
        // The name the download is saved under (the author's file's own), when the book gives one.
        downloadName: attr(child(setting, 'Download'), 'fileName').replace(/^.*[\\/]/, '').trim(),
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
        outline: parseOutline(ols),
        // languageSetting of the template, by its name ("French") or code.
        language: text(child(setting, 'Language')) || text(child(setting, 'languageSetting')),
        // The language of the pages' text (the PDF's own), when it names one: a language tag.
        textLanguage: text(child(setting, 'TextLanguage')).replace(/^(?![A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$).*$/, ''),
        analyticsId: attr(child(setting, 'GoogleAnalytics'), 'webProperty').trim(),
        shareId: attr(child(setting, 'ShareAnalytics'), 'id').trim()
    };
    return cfg;
}

export function loadConfigText() {
    if (typeof root.LeafcraftConfigXML === 'string') return Promise.resolve(root.LeafcraftConfigXML);
    if (location.protocol === 'http:' || location.protocol === 'https:') {
        return fetch('files/config.xml').then(function (r) {
            if (!r.ok) throw ContainerError('files/config.xml could not be loaded (' + r.status + ')');
            return r.text();
        });
    }
    return Promise.reject(ContainerError('files/config.js is missing or did not load'));
}

export function configFromContainer(xmlText) {
    var doc = parseXml(xmlText, 'files/config.xml');
    var rootEl = doc.documentElement;
    if (rootEl.localName === 'data') doc = parseXml(decodeConfigData(rootEl.textContent), 'the book configuration');
    if (doc.documentElement.localName !== 'Folioscope') {
        throw ContainerError('the book configuration has an unknown root element');
    }
    return parseConfig(doc);
}
