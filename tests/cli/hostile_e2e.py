#!/usr/bin/env python3
"""Hostile and damaged input through `leafcraft-cli`: every row runs one command on a generated
file and checks its exit code, what stderr says, and that it ended within a minute and well under
1 GB of memory. Prints one line per row and "N passed, N failed"."""
import argparse
import base64
import io
import os
import re
import resource
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "publish"))
import read_config  # noqa: E402  (RC4 and the book key, independent of Leafcraft)

MAX_RSS_MB = 512


def container(document=None, raw_zip=None):
    """A configuration container around `document` (or around the archive bytes `raw_zip`)."""
    if raw_zip is None:
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("config.xml", document)
        raw_zip = buf.getvalue()
    text = base64.b64encode(read_config.rc4(read_config.KEY, raw_zip)).decode()
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<data><![CDATA[%s]]></data>' % text).encode()


def bomb_zip(size):
    """A zip whose one entry inflates to `size` zero bytes, from a few kilobytes."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    chunk = bytes(1 << 20)
    packed = b"".join(packer.compress(chunk) for _ in range(size >> 20)) + packer.flush()
    name = b"config.xml"
    crc = 0
    for _ in range(size >> 20):
        crc = zlib.crc32(chunk, crc)
    local = b"PK\3\4" + (20).to_bytes(2, "little") + bytes(4) + (8).to_bytes(2, "little") + bytes(4)
    sizes = crc.to_bytes(4, "little") + len(packed).to_bytes(4, "little") + size.to_bytes(4, "little")
    local += sizes + len(name).to_bytes(2, "little") + bytes(2) + name
    central = b"PK\1\2" + (20).to_bytes(2, "little") * 2 + bytes(2) + (8).to_bytes(2, "little") + bytes(4) + sizes
    central += len(name).to_bytes(2, "little") + bytes(12) + (0).to_bytes(4, "little") + name
    offset = len(local) + len(packed)
    end = b"PK\5\6" + bytes(4) + (1).to_bytes(2, "little") * 2 + len(central).to_bytes(4, "little")
    end += offset.to_bytes(4, "little") + bytes(2)
    return local + packed + central + end


ENTITIES = ('<?xml version="1.0"?>\n<!DOCTYPE data [<!ENTITY a "%s">%s]>\n<data>&j;</data>'
            % ("x" * 1000, "".join('<!ENTITY %s "%s">' % (chr(98 + i), ("&%s;" % chr(97 + i)) * 10) for i in range(9))))


def files(work, pdfs):
    """The inputs the rows name, made once."""
    fifo = os.path.join(work, "fifo.pdf")
    os.mkfifo(fifo)
    made = {"fifo": fifo, "dir": work, "dev": "/dev/zero"}
    for name, data in {
        "bomb.xml": container(raw_zip=bomb_zip(256 << 20)),
        "entities.xml": ENTITIES.encode(),
        "bom.txt": b"\xef\xbb\xbfTitle=With a BOM\nnot an entry\nNoSuchKey=1\n",
        "xml.txt": b'<?xml version="1.0"?>\n<settings><Title>x</Title></settings>\n',
        "binary.txt": bytes(range(1, 64)) + b"Title=x\n",
    }.items():
        made[name] = os.path.join(work, name)
        with open(made[name], "wb") as f:
            f.write(data)
    os.symlink(os.path.join(pdfs, "links.pdf"), os.path.join(work, "-x.pdf"))
    return made


def rows(pdf, f, out):
    """(name, arguments, exit code, stderr patterns, stderr patterns that must not appear)."""
    publish = ["publish", "-o", out]
    return [
        ("a page tree claiming 2^31 pages", publish + [pdf("huge-count.pdf")], 0, ["claims 2147483647 pages but holds 1"], []),
        ("a 2e9 pt page", publish + [pdf("huge-page.pdf")], 0, ["too large to render at full size"], ["runtime error"]),
        ("a page over the pixel cap", publish + [pdf("big-page.pdf")], 0, ["rendered at 8000 x 8000 pixels"], []),
        ("a truncated book", publish + [pdf("truncated-224.pdf")], 3,
         [r"damaged and has been repaired", r"\d+ of 224 pages could not be rendered \(pages \d+-224\)"], []),
        ("a truncated book, kept going", publish + [pdf("truncated-224.pdf"), "--keep-going"], 6,
         [r"pages \d+-224\): .*; they are left out"], []),
        ("a page that takes too long to draw", publish + [pdf("nested-forms.pdf"), "--page-seconds", "1"], 3,
         [r"1 of 2 pages could not be rendered \(pages 2\): .*drawing it takes longer than 1 s"], []),
        ("the same, kept going", publish + [pdf("nested-forms.pdf"), "--page-seconds", "1", "--keep-going"], 6,
         [r"pages 2\): .*longer than 1 s\); they are left out"], []),
        ("an encrypted file", publish + [pdf("encrypted-128.pdf")], 3, ["password protected"], []),
        ("a FIFO as the PDF", publish + [f["fifo"]], 3, ["not a regular file"], []),
        ("a device as the PDF", publish + [f["dev"]], 3, ["not a regular file"], []),
        ("a folder as the PDF", publish + [f["dir"]], 3, ["not a regular file"], []),
        ("a FIFO as the settings", publish + [pdf("links.pdf"), "--settings", f["fifo"]], 3, ["not a regular file"], []),
        ("a container that inflates to 256 MB", ["config", "decode", f["bomb.xml"]], 3, ["more than a configuration"], []),
        ("entities in the container", ["config", "decode", f["entities.xml"]], 3, ["<!DOCTYPE>"], []),
        ("entities in the document", ["config", "encode", f["entities.xml"], out + ".xml"], 3, ["<!DOCTYPE>"], []),
        ("a settings file with a BOM and strays", publish + [pdf("links.pdf"), "--pages", "1", "--settings", f["bom.txt"]],
         0, [r"not key=value and ignored: line 2", r'no property "NoSuchKey"'], ["\ufeff"]),
        ("an XML settings file", publish + [pdf("links.pdf"), "--settings", f["xml.txt"]], 3, ["XML or HTML"], []),
        ("a binary settings file", publish + [pdf("links.pdf"), "--settings", f["binary.txt"]], 3, ["control characters"], []),
        ("every exported key through --set", publish + [pdf("links.pdf"), "--pages", "1", "--template", "Linen", *f["set"]],
         0, [], []),
        ("-h as a value", publish + [pdf("links.pdf"), "--pages", "1", "--title", "-h"], 0, [], ["Usage"]),
        ("a PDF named -x.pdf", publish + ["--pages", "1", "--format", "swf", "--", "-x.pdf"], 0, [], []),
        ("an exponent as a page", publish + [pdf("links.pdf"), "--pages", "1e1"], 3, [r'part 1 \("1e1"\) is not a page'], []),
        ("a decimal as a page", publish + [pdf("links.pdf"), "--pages", "1,2.9"], 3, [r'part 2 \("2.9"\)'], []),
        ("a line break in a range", publish + [pdf("links.pdf"), "--pages", "1\n2"], 3, [r'"1\\n2" is not valid'], ["1\n2"]),
        ("an escape in a name", publish + [pdf("no\x1b[2Jsuch.pdf")], 3, [r"no\\x1b\[2Jsuch.pdf"], ["\x1b"]),
        ("more jobs than processors", publish + [pdf("links.pdf"), "--pages", "1-2", "--jobs", "256"], 0, [], []),
    ]


def run_row(cli, work, row):
    name, args, code, wanted, unwanted = row
    start = time.monotonic()
    env = dict(os.environ, HOME=os.path.join(work, "home"), XDG_DATA_HOME=os.path.join(work, "home", "data"))
    p = subprocess.Popen([cli, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=work, env=env)
    try:
        out, err = p.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        p.kill()
        raise AssertionError("%s: did not end within 60 s" % name)
    rss_mb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
    err = err.decode("utf-8", "replace")
    problems = []
    if p.returncode != code:
        problems.append("exit %d, expected %d" % (p.returncode, code))
    problems += ["stderr lacks /%s/" % w for w in wanted if not re.search(w, err)]
    problems += ["stderr holds %r" % u for u in unwanted if u in err or u in out.decode("utf-8", "replace")]
    if rss_mb > MAX_RSS_MB:
        problems.append("used %d MB" % rss_mb)
    if problems:
        raise AssertionError("%s: %s\nstderr: %s" % (name, "; ".join(problems), err[-1500:]))
    return time.monotonic() - start


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--make-pdfs", required=True)
    a = ap.parse_args()
    work = tempfile.mkdtemp(prefix="leafcraft-hostile-")
    pdfs = os.path.join(work, "pdfs")
    subprocess.run([sys.executable, a.make_pdfs, pdfs], check=True, capture_output=True)
    made = files(work, pdfs)
    exported = os.path.join(work, "exported.txt")
    subprocess.run([a.cli, "settings", "export", exported, "--template", "Linen"], check=True)
    with open(exported, encoding="utf-8", newline="") as f:
        made["set"] = [x for entry in f.read().split("\n\r") if entry for x in ("--set", entry)]
    passed = failed = 0
    for i, row in enumerate(rows(lambda n: os.path.join(pdfs, n), made, os.path.join(work, "book%d"))):
        row = (row[0], [x.replace("book%d", "book%d" % i) for x in row[1]], *row[2:])
        try:
            seconds = run_row(os.path.abspath(a.cli), work, row)
            passed += 1
            print("ok   %s (%.1f s)" % (row[0], seconds))
        except AssertionError as e:
            failed += 1
            print("FAIL %s" % e)
    subprocess.run(["rm", "-rf", work])
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
