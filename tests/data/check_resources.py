#!/usr/bin/env python3
"""Checks the shipped template data under <resources>/AppFiles.

Usage: check_resources.py <resources folder>

Verifies what the application relies on when it loads templates and styles and publishes books:
the property keys the book writers read (with the exact switch words they compare against), file
filters for file properties, style settings that only name existing keys, readable style previews,
cube pictures for "Panoramic", template icons, and the demonstration pages. Prints one line per problem and a closing
"N passed, N failed" summary; exits non-zero on any failure.
"""

import filecmp
import importlib.util
import os
import sys
import tempfile
import xml.etree.ElementTree as ET

from PIL import Image

TEMPLATES = ("float", "Panoramic", "Linen")
TYPE_NAMES = ("pt_text", "pt_number", "pt_color", "pt_list", "pt_composite", "pt_file", "pt_list_fromFunction",
              "pt_form_security", "pt_font", "pt_form_contactabout", "pt_bool")

# Keys the book configuration reads, and the switch words it compares a value with.
CONFIG_KEYS = {
    "AuthorName": None, "AuthorEmail": None, "AuthorWebSite": None, "AuthorInfo": None, "Title": None,
    "BaseColor": "color", "LogoFile": "file", "ShowLogo": ("Yes", "No"), "LogoLink": None, "GoogleID": None,
    "ShareID": None, "SoundFile": "file", "LoopSound": ("Yes", "No"), "DownloadFile": "file",
    "BackgroundType": None, "Color": "color", "GradientStartColor": "color", "GradientEndColor": "color",
    "GradientAngle": "number", "BgType": ("Image",), "ImagePath": "file", "ImgPosition": None, "loop": "number",
    "Enable": ("Yes", "No"), "Interval": "number", "AutoScale": ("Yes", "No"),
    "PlayFlipSound": ("Yes", "No"), "PerPageThickness": "number",
}
BUTTON_KEYS = ("Zoom", "TiltAngle", "AutoPlay", "BackgroundSound", "Info", "Bookmark", "Thumbnail", "FullScreen",
               "Help", "Share", "Print", "Download")
for _k in BUTTON_KEYS:
    CONFIG_KEYS[_k] = ("Show", "Hide")
# Keys the mobile version reads.
MOBILE_KEYS = {
    "LogoFile": "file", "link": None, "Title": None, "AuthorInfo": None, "Share": ("Show", "Hide"),
    "Thumbnail": ("Show", "Hide"), "Zoom": ("Show", "Hide"), "Enable": ("Yes", "No"), "Interval": "number",
    "loop": "number", "GradientStartColor": "color", "GradientEndColor": "color", "GradientAngle": "number",
    "ImagePath": "file", "direction": ("Right",), "GoogleAnalytics": None, "bookTitle": None,
}
OTHER_KEYS = {"languageSetting": None}
CUBE = ("b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg")


class Checker:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL: " + what)
        return ok


def text_of(el, name):
    child = el.find(name)
    return None if child is None else "".join(child.itertext())


def walk(props):
    for p in props:
        yield p
        cp = p.find("childProperties")
        if cp is not None:
            yield from walk(cp.findall("property"))


def is_hex_color(v):
    body = v[2:] if v.lower().startswith("0x") else ""
    return len(body) == 6 and all(ch in "0123456789abcdefABCDEF" for ch in body)


def file_extensions(value_source):
    """The extensions the file dialog allows for a valueSource: 'label|*.a;*.b' -> ['a', 'b']."""
    text = value_source.replace(";", "")
    pieces = text.split("|")
    pattern = pieces[1] if len(pieces) >= 2 else text
    return [p for p in pattern.split("*.") if p]


def picture(path, kind):
    """(width, height) of a picture file that Pillow reads whole as kind ("JPEG", "PNG"), else None."""
    try:
        with Image.open(path) as im:
            im.load()
            return im.size if im.format == kind else None
    except (OSError, SyntaxError):
        return None


def check_template(c, appfiles, name):
    path = os.path.join(appfiles, "Templates", name, "flashTemplate.xml")
    if not c.check(os.path.isfile(path), "%s: flashTemplate.xml missing" % name):
        return {}
    # Well-formedness, the info fields and each property's elements: ShippedTemplatesTest loads
    # every template and style through the application's own loader, which warns about them.
    root = ET.parse(path).getroot()
    info = root.find("info")
    if c.check(info is not None, "%s: no info element" % name):
        c.check(text_of(info, "htmlPath") == "template.html", "%s: htmlPath is not template.html" % name)
        default_style = text_of(info, "defaultStyle") or ""
        c.check(os.path.isdir(os.path.join(appfiles, "Styles", name, default_style)),
                "%s: default style '%s' has no style folder" % (name, default_style))
    props = root.find("properties")
    if not c.check(props is not None, "%s: no properties element" % name):
        return {}
    found = {}
    for p in walk(props.findall("property")):
        key = text_of(p, "key")
        type_name = p.get("type")
        c.check(type_name in TYPE_NAMES, "%s: property %s has unknown type %r" % (name, key, type_name))
        if key in found:
            c.check(False, "%s: key %s defined twice (only the first one is ever read)" % (name, key))
            continue
        found[key] = {"type": type_name, "value": text_of(p, "value") or "",
                      "source": text_of(p, "valueSource") or "", "bool": p.get("aType") is not None}
        if type_name == "pt_file":
            c.check(bool(file_extensions(found[key]["source"])),
                    "%s: file property %s has no extension filter" % (name, key))
    check_background(c, name + " (no style)", {k: p["value"] for k, p in found.items()})
    required = dict(CONFIG_KEYS)
    required.update(MOBILE_KEYS)
    required.update(OTHER_KEYS)
    for key, kind in required.items():
        if not c.check(key in found, "%s: key %s missing" % (name, key)):
            continue
        p = found[key]
        if isinstance(kind, tuple):
            choices = p["source"].split(",")
            c.check(p["type"] == "pt_list" and not p["bool"] and all(k in choices for k in kind)
                    and p["value"] in choices,
                    "%s: %s must be a pt_list offering %s (has %s %r = %r)"
                    % (name, key, "/".join(kind), p["type"], p["source"], p["value"]))
        elif kind == "color":
            c.check(p["type"] == "pt_color" and is_hex_color(p["value"]),
                    "%s: %s must be a pt_color with a 0xRRGGBB value" % (name, key))
        elif kind == "number":
            c.check(p["type"] == "pt_number" and p["value"].lstrip("-").isdigit(),
                    "%s: %s must be a pt_number with a numeric value" % (name, key))
        elif kind == "file":
            c.check(p["type"] == "pt_file", "%s: %s must be a pt_file" % (name, key))
    return found


def check_background(c, where, values):
    """The background picture reaches the book only when BgType is "Image" and a file is chosen, and the
    player draws it only for the "Image" fill; a half-set combination publishes a dangling name or
    draws nothing."""
    fill, publish, path = values.get("BackgroundType"), values.get("BgType"), values.get("ImagePath", "")
    c.check((publish == "Image") == bool(path),
            "%s: BgType=%s with ImagePath=%r publishes %s" % (where, publish, path,
                                                             "a dangling name" if path == "" else "no picture"))
    c.check(fill != "Image" or (publish == "Image" and path),
            "%s: the Image fill has no published picture" % where)


def check_style(c, appfiles, name, style, keys):
    folder = os.path.join(appfiles, "Styles", name, style)
    where = "%s/%s" % (name, style)
    setting = os.path.join(folder, "tmplSetting.txt")
    effective = {k: p["value"] for k, p in keys.items()}
    if c.check(os.path.isfile(setting), where + ": tmplSetting.txt missing"):
        with open(setting, "rb") as f:
            text = f.read().decode("utf-8")
        for line in text.split("\n"):
            line = line.replace("\r", "")
            if "=" not in line:
                continue
            key, value = line.split("=", 1)
            if not c.check(key in keys, "%s: tmplSetting.txt names unknown key %r" % (where, key)):
                continue
            c.check(key not in OTHER_KEYS, "%s: %s in a style never takes effect (the language survives "
                                           "every style change)" % (where, key))
            p = keys[key]
            effective[key] = value
            if p["type"] == "pt_list":
                c.check(value in p["source"].split(","), "%s: %s=%s is not one of %s" % (where, key, value,
                                                                                         p["source"]))
            elif p["type"] == "pt_color":
                c.check(is_hex_color(value), "%s: %s=%s is not a 0xRRGGBB colour" % (where, key, value))
            elif p["type"] == "pt_file" and value:
                prefix = "STYLE_RESOURCE:"
                if c.check(value.startswith(prefix), "%s: %s=%s is not a style resource" % (where, key, value)):
                    rel = value[len(prefix):]
                    c.check(os.path.isfile(os.path.join(folder, rel)),
                            "%s: %s names missing file %s" % (where, key, rel))
                    c.check(rel.rsplit(".", 1)[-1].lower() in file_extensions(p["source"]),
                            "%s: %s file %s does not pass its filter" % (where, key, rel))
    check_background(c, where, effective)
    pictures = ["shot.jpg"] + (list(CUBE) if name == "Panoramic" else [])
    for pic in pictures + [f for f in sorted(os.listdir(folder)) if f.endswith(".jpg") and f not in pictures]:
        path = os.path.join(folder, pic)
        if not c.check(os.path.isfile(path), "%s: %s missing" % (where, pic)):
            continue
        c.check(picture(path, "JPEG") is not None, "%s: %s is not a valid JPEG" % (where, pic))
    subfolders = [e for e in os.listdir(folder) if os.path.isdir(os.path.join(folder, e))]
    c.check(not subfolders, "%s: nested folders %s would be listed as styles" % (where, subfolders))


def check_generated_text(c, resources, appfiles):
    """The committed documents and settings files are exactly what scripts/make_resources.py writes, so
    nobody's hand edit is lost at the next regeneration. (Pictures are not compared byte for byte: their
    floating-point drawing may differ in the last bit between machines.)"""
    script = os.path.join(resources, "..", "scripts", "make_resources.py")
    if not os.path.isfile(script):
        return
    spec = importlib.util.spec_from_file_location("make_resources", script)
    generator = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(generator)
    with tempfile.TemporaryDirectory() as tmp:
        for rel in generator.generate(tmp, pictures=False, log=lambda *_: None):
            committed = os.path.join(appfiles, rel)
            c.check(os.path.isfile(committed) and filecmp.cmp(committed, os.path.join(tmp, rel), shallow=False),
                    "%s differs from what scripts/make_resources.py writes" % rel)


def main(argv):
    if len(argv) != 2:
        print("usage: check_resources.py <resources folder>")
        return 2
    appfiles = os.path.join(argv[1], "AppFiles")
    c = Checker()
    for name in TEMPLATES:
        keys = check_template(c, appfiles, name)
        tmpl_dir = os.path.join(appfiles, "Templates", name)
        nested = [e for e in os.listdir(tmpl_dir) if os.path.isdir(os.path.join(tmpl_dir, e))] \
            if os.path.isdir(tmpl_dir) else []
        c.check(not nested, "%s: nested folders %s would be listed as templates" % (name, nested))
        icon = os.path.join(appfiles, "Templates", name, "icon.png")
        if c.check(os.path.isfile(icon), name + ": icon.png missing"):
            c.check(picture(icon, "PNG") is not None, name + ": icon.png is not a valid PNG")
        styles_root = os.path.join(appfiles, "Styles", name)
        styles = sorted(s for s in os.listdir(styles_root) if os.path.isdir(os.path.join(styles_root, s))) \
            if os.path.isdir(styles_root) else []
        c.check(len(styles) >= 3, "%s: fewer than three styles (%s)" % (name, styles))
        for style in styles:
            check_style(c, appfiles, name, style, keys)
    c.check(os.path.isdir(os.path.join(appfiles, "TmplData")), "TmplData folder missing")
    demo = os.path.join(appfiles, "DemoImgs_standard", "large")
    pages = sorted(f for f in os.listdir(demo) if f.endswith(".jpg")) if os.path.isdir(demo) else []
    c.check(len(pages) >= 2, "demonstration pages missing")
    sizes = set()
    for page in pages:
        size = picture(os.path.join(demo, page), "JPEG")
        c.check(size is not None, "demo page %s is not a valid JPEG" % page)
        sizes.add(size)
    c.check(len(sizes) <= 1, "demo pages differ in size: %s" % sizes)
    check_generated_text(c, argv[1], appfiles)
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
