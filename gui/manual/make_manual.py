#!/usr/bin/python3
"""Renders the user manual (Markdown) into a PDF with Python-Markdown and WeasyPrint.

Usage: make_manual.py INPUT.md OUTPUT.pdf [MORE.pdf ...]

A4 pages with 10.5 pt body text, a title page, a contents list with page numbers, numbered
pages and the pictures the text names (relative to the Markdown file). A picture that does not
exist yet is shown as a marked placeholder box, so the manual builds before every window has
its screenshot (scripts/screenshot-app.sh --windows makes them).
"""
import html
import os
import re
import shutil
import sys

import markdown
from weasyprint import HTML

STYLE = """
@page {
  size: A4;
  margin: 22mm 20mm 24mm 20mm;
  @bottom-center { content: counter(page); font-size: 9pt; color: #555; }
}
@page :first { @bottom-center { content: none; } }
html { font-family: "DejaVu Sans", sans-serif; font-size: 10.5pt; line-height: 1.45; color: #111; }
h1 { font-size: 24pt; margin: 0 0 4mm 0; }
h2 { font-size: 15pt; margin: 9mm 0 3mm 0; page-break-after: avoid; border-bottom: 0.6pt solid #999; }
h3 { font-size: 12pt; margin: 6mm 0 2mm 0; page-break-after: avoid; }
p, li { orphans: 3; widows: 3; }
code { font-family: "DejaVu Sans Mono", monospace; font-size: 9.5pt; }
table { border-collapse: collapse; margin: 3mm 0; }
th, td { border: 0.5pt solid #aaa; padding: 1.2mm 2.5mm; text-align: left; vertical-align: top; }
th { background: #eee; }
figure { margin: 4mm 0; page-break-inside: avoid; text-align: center; }
figure img { max-width: 100%; max-height: 110mm; border: 0.5pt solid #bbb; }
figcaption { font-size: 9pt; color: #444; margin-top: 1.5mm; }
.placeholder { border: 1pt dashed #c33; color: #c33; padding: 14mm 6mm; font-size: 10pt; }
.title-page { page-break-after: always; padding-top: 70mm; }
.title-page .subtitle { font-size: 13pt; color: #444; }
nav.contents { page-break-after: always; }
nav.contents h2 { border: none; }
nav.contents ul { list-style: none; padding-left: 0; }
nav.contents ul ul { padding-left: 6mm; }
nav.contents li { margin: 1mm 0; }
nav.contents a { color: #111; text-decoration: none; }
nav.contents a::after { content: leader('.') target-counter(attr(href), page); }
"""

FIGURE = re.compile(r'<p><img alt="([^"]*)" src="([^"]+)"\s*/?></p>')


def figures(body, base):
    """Each paragraph holding only a picture becomes a figure with its caption; a missing
    picture becomes a marked placeholder."""

    def replace(match):
        alt, src = html.unescape(match.group(1)), match.group(2)
        caption = f"<figcaption>{html.escape(alt)}</figcaption>"
        if os.path.isfile(os.path.join(base, src)):
            return f'<figure><img alt="{html.escape(alt)}" src="{src}">{caption}</figure>'
        return (f'<figure><div class="placeholder">Picture to come: {html.escape(alt)} ({html.escape(src)}).'
                " It is made with scripts/screenshot-app.sh --windows once the window exists."
                f"</div>{caption}</figure>")

    return FIGURE.sub(replace, body)


def contents(tokens):
    """The contents list: the second- and third-level headings, linked to their pages."""

    def items(level):
        out = "<ul>"
        for t in level:
            out += f'<li><a href="#{t["id"]}">{t["name"]}</a>'
            if t["children"] and t["level"] < 3:
                out += items(t["children"])
            out += "</li>"
        return out + "</ul>"

    sections = tokens[0]["children"] if len(tokens) == 1 and tokens[0]["level"] == 1 else tokens
    return f'<nav class="contents"><h2>Contents</h2>{items(sections)}</nav>'


def render(source):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    md = markdown.Markdown(extensions=["toc", "tables", "attr_list", "fenced_code"])
    body = md.convert(text)
    title = re.search(r"<h1[^>]*>(.*?)</h1>", body)
    heading = title.group(1) if title else "User manual"
    body = re.sub(r"<h1[^>]*>.*?</h1>", "", body, count=1)
    body = figures(body, os.path.dirname(os.path.abspath(source)))
    return (
        f'<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>{heading}</title>'
        f"<style>{STYLE}</style></head><body>"
        f'<section class="title-page"><h1>{heading}</h1>'
        '<p class="subtitle">Making page-flipping books from PDF documents</p></section>'
        f"{contents(md.toc_tokens)}{body}</body></html>"
    )


def main(argv):
    if len(argv) < 3:
        print("usage: make_manual.py INPUT.md OUTPUT.pdf [MORE.pdf ...]", file=sys.stderr)
        return 2
    source = argv[1]
    document = HTML(string=render(source), base_url=os.path.dirname(os.path.abspath(source)) + "/")
    document.write_pdf(argv[2])
    for extra in argv[3:]:
        shutil.copyfile(argv[2], extra)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
