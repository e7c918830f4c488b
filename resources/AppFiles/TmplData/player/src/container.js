// The configuration container: the text of the `data` element is Base64 of an RC4-enciphered
// (key "pbkcfg-rc4-k14") zip archive whose entry "config.xml" holds the configuration document.
// Reading it: Base64 -> RC4 -> zip entry -> raw inflate (fflate) -> UTF-8 text.
import { inflateSync } from 'fflate';

export const CONFIG_KEY = 'pbkcfg-rc4-k14';

export function ContainerError(message) {
    var e = new Error(message);
    e.name = 'ContainerError';
    return e;
}

export function base64ToBytes(text) {
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
export function rc4(keyText, data) {
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

export function crc32(bytes) {
    var c = 0xffffffff;
    for (var i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 255] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

// Inflates a raw deflate stream (no zlib header). The caller checks the archive's own size and
// checksum of the result.
export function inflateRaw(data) {
    try {
        return inflateSync(data instanceof Uint8Array ? data : new Uint8Array(data));
    } catch (e) {
        throw ContainerError('the compressed configuration is damaged');
    }
}

function u16(b, o) { return b[o] | (b[o + 1] << 8); }
function u32(b, o) { return (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0; }

// Returns the bytes of the named entry of a zip archive (the only entry if the name is absent).
export function readZipEntry(zip, wanted) {
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
export function decodeConfigData(base64Text) {
    if (!String(base64Text).trim()) throw ContainerError('the configuration data is empty');
    var zip = rc4(CONFIG_KEY, base64ToBytes(base64Text));
    var bytes = readZipEntry(zip, 'config.xml');
    return new TextDecoder('utf-8').decode(bytes);
}
