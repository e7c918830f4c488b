#!/bin/sh
# Usage: run.sh PATH-TO-leafcraft-cli
# The program finds its resources in resources/ beside itself, so a copy of it is run in a
# temporary folder that holds test templates.
set -u
cli_source=$1
work=$(mktemp -d)
trap 'umount "$work/full" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp "$cli_source" "$work/leafcraft-cli"
cli="$work/leafcraft-cli"
app="$work/resources/AppFiles"
mkdir -p "$app/Templates/float" "$app/Templates/Linen" "$app/Templates/Linen/images" \
         "$app/Styles/float/Blue/images" "$app/Styles/float/Amber"
cat > "$app/Templates/float/flashTemplate.xml" <<'XML'
<template><info><htmlPath>index.html</htmlPath><swfPath>Main.swf</swfPath><defaultStyle>Blue</defaultStyle>
<macAppFilesFolder/><mobileTmplFilesPath/></info><properties>
<property><key>pageWidth</key><title/><desc/><value>960</value><valueSource/><defaultValue/></property>
<property type="pt_file"><key>logo</key><title/><desc/><value/><valueSource/><defaultValue/></property>
<property type="pt_composite"><key>group</key><title/><desc/><value>g</value><valueSource/><defaultValue/>
<childProperties><property><key>tint</key><title/><desc/><value>0x000000</value><valueSource/><defaultValue/></property></childProperties>
</property></properties></template>
XML
cp "$app/Templates/float/flashTemplate.xml" "$app/Templates/Linen/"
printf 'logo=STYLE_RESOURCE:images/a.png\npageWidth=5\ntint=0xFFFFFF\n' > "$app/Styles/float/Blue/tmplSetting.txt"
: > "$app/Styles/float/Amber/tmplSetting.txt"

# templates: sorted by template then style; a template without styles ends in a tab.
expected=$(printf 'Linen\t\nfloat\tAmber\nfloat\tBlue')
actual=$("$cli" templates) || fail "templates exit code $?"
[ "$actual" = "$expected" ] || fail "templates printed: $actual"

# settings export: the exact file shape, with the style applied and the page size kept.
"$cli" settings export "$work/out.txt" --style Blue 2>/dev/null || fail "export with style exit code $?"
printf '\n\rpageWidth=960\n\rlogo=%s\n\rgroup=g\n\rtint=0xFFFFFF' "$app/Styles/float/Blue/images/a.png" > "$work/expected.txt"
cmp -s "$work/out.txt" "$work/expected.txt" || fail "export content: $(od -c "$work/out.txt" | head -5)"
"$cli" settings export "$work/linen.txt" --template Linen 2>/dev/null || fail "export Linen exit code $?"
grep -q 'tint=0x000000' "$work/linen.txt" || fail "Linen export lacks its default tint"

# Exit codes of refusals.
check() { # expected-code description command...
    want=$1; what=$2; shift 2
    "$@" >/dev/null 2>"$work/err.txt"; got=$?
    [ "$got" = "$want" ] || fail "$what: exit $got, wanted $want ($(cat "$work/err.txt"))"
    if [ "$want" != 0 ] && [ ! -s "$work/err.txt" ]; then fail "$what: no message"; fi
}
check 3 "unknown template" "$cli" settings export "$work/x.txt" --template Nope
check 3 "unknown style" "$cli" settings export "$work/x.txt" --style Nope
check 3 "path-like template" "$cli" settings export "$work/x.txt" --template ../Templates/float
check 4 "unwritable file" "$cli" settings export "$work/no/such/dir/x.txt"
check 2 "no file" "$cli" settings export
check 2 "two files" "$cli" settings export a b
check 2 "unknown option" "$cli" settings export a --bogus
check 2 "missing option value" "$cli" settings export a --template
check 2 "unknown subcommand" "$cli" settings import a
check 2 "templates argument" "$cli" templates extra
check 0 "settings help" "$cli" settings export --help
check 0 "templates help" "$cli" templates --help
[ -e "$work/x.txt" ] && fail "a refused export wrote its file"

# A full disk (a tiny tmpfs, where we may mount one): exit 4, says so, keeps the old file.
mkdir "$work/full"
if mount -t tmpfs -o size=64k tmpfs "$work/full" 2>/dev/null; then
    printf 'old' > "$work/full/s.txt" && head -c 100000 /dev/zero > "$work/full/fill" 2>/dev/null
    check 4 "export onto a full disk" "$cli" settings export "$work/full/s.txt"
    grep -q 'the disk is full' "$work/err.txt" || fail "full disk message: $(cat "$work/err.txt")"
    [ "$(cat "$work/full/s.txt")" = old ] || fail "full disk: the old settings file changed"
    [ "$(ls -A "$work/full" | tr '\n' ' ')" = "fill s.txt " ] || fail "full disk: left $(ls -A "$work/full")"
else
    echo "full-disk case skipped: no tmpfs can be mounted here"
fi

[ "$failures" = 0 ] && echo "all CLI checks passed"
exit "$failures"
