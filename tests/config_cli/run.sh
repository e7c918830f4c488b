#!/bin/sh
# Usage: run.sh PATH-TO-leafcraft-cli
set -u
cli=$1
work=$(mktemp -d)
trap 'umount "$work/full" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_rc() { # expected-code description command...
    want=$1; what=$2; shift 2
    "$@" > "$work/out" 2> "$work/err"
    got=$?
    [ "$got" = "$want" ] || fail "$what: exit $got, expected $want ($(cat "$work/err"))"
}

cat > "$work/doc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Folioscope><XMLVersion>1</XMLVersion><Config><Author><Name>Jos&#233; &amp; Co</Name></Author></Config><Pages><Page>files/page/1.swf</Page></Pages></Folioscope>
XML

# encode, then decode gives the pretty-printed document back.
expect_rc 0 "encode" "$cli" config encode "$work/doc.xml" "$work/config.xml"
grep -q '^<data><!\[CDATA\[[A-Za-z0-9+/]*=*\]\]></data>$' "$work/config.xml" || fail "container shape: $(cat "$work/config.xml")"
expect_rc 0 "decode" "$cli" config decode "$work/config.xml"
cp "$work/out" "$work/decoded.xml"
grep -q '^  <XMLVersion>1</XMLVersion>$' "$work/decoded.xml" || fail "decoded document is not indented: $(cat "$work/decoded.xml")"
grep -q 'José &amp; Co' "$work/decoded.xml" || fail "decoded text changed: $(cat "$work/decoded.xml")"

# An independent reader (Base64, RC4 with the book key, zipfile) gets the same bytes.
python3 - "$work/config.xml" "$work/decoded.xml" <<'PY' || fail "independent reader disagrees"
import base64, io, sys, zipfile
import xml.etree.ElementTree as ET
data = base64.b64decode(ET.parse(sys.argv[1]).getroot().text, validate=True)
key = b"pbkcfg-rc4-k14"; S = list(range(256)); j = 0
for i in range(256):
    j = (j + S[i] + key[i % len(key)]) % 256; S[i], S[j] = S[j], S[i]
out = bytearray(); i = j = 0
for b in data:
    i = (i + 1) % 256; j = (j + S[i]) % 256; S[i], S[j] = S[j], S[i]
    out.append(b ^ S[(S[i] + S[j]) % 256])
z = zipfile.ZipFile(io.BytesIO(bytes(out)))
info = z.infolist()
assert [x.filename for x in info] == ["config.xml"], info
assert (info[0].create_system, info[0].create_version, info[0].compress_type) == (3, 21, 8)
assert z.read("config.xml") == open(sys.argv[2], "rb").read()
PY

# Help and usage errors.
expect_rc 0 "config --help" "$cli" config --help
grep -q 'config encode DOCUMENT.xml CONTAINER.xml' "$work/out" || fail "config --help text"
expect_rc 0 "encode --help" "$cli" config encode --help
expect_rc 0 "decode --help" "$cli" config decode --help
expect_rc 2 "no subcommand" "$cli" config
expect_rc 2 "unknown subcommand" "$cli" config pack "$work/doc.xml"
expect_rc 2 "encode with one file" "$cli" config encode "$work/doc.xml"
expect_rc 2 "decode with two files" "$cli" config decode "$work/config.xml" "$work/doc.xml"
expect_rc 2 "unknown option" "$cli" config decode --raw "$work/config.xml"

# Bad input: nothing written, a message that says what is wrong.
printf 'not <xml' > "$work/bad.xml"
expect_rc 3 "encode of non-XML" "$cli" config encode "$work/bad.xml" "$work/never.xml"
grep -q 'not well-formed XML' "$work/err" || fail "encode of non-XML message: $(cat "$work/err")"
[ ! -e "$work/never.xml" ] || fail "encode of non-XML wrote a container"
expect_rc 3 "encode of a missing file" "$cli" config encode "$work/missing.xml" "$work/never.xml"
expect_rc 3 "decode of a plain document" "$cli" config decode "$work/doc.xml"
grep -q 'not a configuration container' "$work/err" || fail "decode of a document message: $(cat "$work/err")"
printf '<data><![CDATA[Zm9vYmFy]]></data>' > "$work/garbage.xml"
expect_rc 3 "decode of garbage" "$cli" config decode "$work/garbage.xml"
[ ! -s "$work/out" ] || fail "decode of garbage printed something"

# Output that cannot be written: exit 4, and an existing container is kept.
expect_rc 4 "encode into a missing folder" "$cli" config encode "$work/doc.xml" "$work/no/such/folder/config.xml"
mkdir "$work/locked" && cp "$work/config.xml" "$work/locked/config.xml" && chmod a-w "$work/locked"
if [ "$(id -u)" != 0 ]; then
    expect_rc 4 "encode into a read-only folder" "$cli" config encode "$work/doc.xml" "$work/locked/config.xml"
    cmp -s "$work/config.xml" "$work/locked/config.xml" || fail "read-only container changed"
fi
chmod u+w "$work/locked"

# A full disk (a tiny tmpfs, where we may mount one): exit 4, says so, keeps the old container.
mkdir "$work/full"
if mount -t tmpfs -o size=64k tmpfs "$work/full" 2>/dev/null; then
    cp "$work/config.xml" "$work/full/config.xml" && head -c 100000 /dev/zero > "$work/full/fill" 2>/dev/null
    expect_rc 4 "encode onto a full disk" "$cli" config encode "$work/doc.xml" "$work/full/config.xml"
    grep -q 'the disk is full' "$work/err" || fail "full disk message: $(cat "$work/err")"
    cmp -s "$work/config.xml" "$work/full/config.xml" || fail "full disk: the old container changed"
    [ "$(ls -A "$work/full" | tr '\n' ' ')" = "config.xml fill " ] || fail "full disk: left $(ls -A "$work/full")"
else
    echo "full-disk case skipped: no tmpfs can be mounted here"
fi

[ "$failures" = 0 ] && echo "config cli: all checks passed"
exit "$failures"
