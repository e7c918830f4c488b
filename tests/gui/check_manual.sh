#!/usr/bin/env bash
# Checks the built user manual with poppler's tools: several A4 pages, every font embedded, body
# text of 10 to 11 points, a contents list, and the window pictures.
# Usage: check_manual.sh MANUAL.pdf
set -euo pipefail
pdf="$1"
fail() { echo "check_manual: $*" >&2; exit 1; }
[[ -f "$pdf" ]] || fail "no manual at $pdf"

pages="$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')"
((pages >= 6)) || fail "$pages page(s); a manual needs more"
pdfinfo "$pdf" | grep -Eq '^Page size: +595(\.[0-9]+)? x 841(\.[0-9]+)? pts' || fail "the pages are not A4"
pdffonts "$pdf" | tail -n +3 | awk '$(NF-4) != "yes" { bad = 1 } END { exit bad }' || fail "a font is not embedded"
pdffonts "$pdf" | grep -q 'DejaVu-Sans ' || fail "the body font is not DejaVu Sans"

# The most common word height is the body text's line box: DejaVu Sans's ascent plus descent is
# 1.164 times the font size.
size="$(pdftotext -bbox "$pdf" - | grep -o 'yMin="[0-9.]*" xMax="[0-9.]*" yMax="[0-9.]*"' |
    awk -F'"' '{ printf "%.1f\n", $6 - $2 }' | sort | uniq -c | sort -rn | awk 'NR == 1 { printf "%.2f", $2 / 1.164 }')"
awk -v s="$size" 'BEGIN { exit !(s >= 10 && s <= 11) }' || fail "body text of $size pt"

text="$(pdftotext -layout "$pdf" -)"
grep -q 'Contents$' <<<"$text" || fail "no contents list"
for heading in "Importing a PDF" "Choosing a template" "The page editor" "Publishing"; do
    grep -Eq "^ *$heading \.+ *[0-9]+" <<<"$text" || fail "the contents list has no page number for \"$heading\""
done
# The page editor's Help opens the manual at this named destination.
pdfinfo -dests "$pdf" | grep -q '"the-page-editor"' || fail "no named destination the-page-editor"
images="$(pdfimages -list "$pdf" | tail -n +3 | wc -l)"
((images >= 4)) || fail "$images picture(s); the main, import, template and publish windows are missing"
echo "check_manual: $pages A4 pages, body text $size pt, contents list, $images pictures"
