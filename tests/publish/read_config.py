#!/usr/bin/env python3
"""Reads a book configuration container the way the player does, independently of Leafcraft:
the CDATA text of <data>, Base64, RC4 under the book key, the zip entry "config.xml".

Usage: read_config.py CONTAINER OUT   writes the configuration document's bytes to OUT and
prints the zip entry's name, compression method and CRC check result."""
import base64
import io
import sys
import xml.dom.minidom
import zipfile

KEY = b"pbkcfg-rc4-k14"


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) % 256
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for byte in data:
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out.append(byte ^ s[(s[i] + s[j]) % 256])
    return bytes(out)


def main():
    container, target = sys.argv[1], sys.argv[2]
    with open(container, "rb") as f:
        raw = f.read()
    doc = xml.dom.minidom.parseString(raw)
    root = doc.documentElement
    assert root.tagName == "data", root.tagName
    sections = [n for n in root.childNodes if n.nodeType == n.CDATA_SECTION_NODE]
    assert len(sections) == 1 and len(root.childNodes) == 1, "data must hold one CDATA section"
    text = sections[0].data
    assert "\n" not in text and " " not in text, "Base64 text without breaks"
    archive = zipfile.ZipFile(io.BytesIO(rc4(KEY, base64.b64decode(text, validate=True))))
    infos = archive.infolist()
    assert [i.filename for i in infos] == ["config.xml"], [i.filename for i in infos]
    assert archive.testzip() is None
    with open(target, "wb") as f:
        f.write(archive.read("config.xml"))
    print(infos[0].filename, infos[0].compress_type)


if __name__ == "__main__":
    main()
