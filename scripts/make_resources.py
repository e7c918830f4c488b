#!/usr/bin/python3
"""Generates Leafcraft's shipped template data under resources/AppFiles.

Everything in the template catalogue that is not program code is drawn or written here, so the
committed files can always be rebuilt from this script. Pictures are drawn and encoded with Pillow
(Debian's python3-pil) and numpy; the text files need neither.

  Templates/<template>/flashTemplate.xml   the typed property tree a user edits
  Templates/<template>/icon.png            64x64 icon of the template list
  Styles/<template>/<style>/tmplSetting.txt the style's preset values (key=value lines)
  Styles/<template>/<style>/shot.jpg       240x180 preview picture of the style
  Styles/<template>/<style>/bg.jpg         background picture (styles that use one)
  Styles/Panoramic/<style>/{b,d,f,l,r,u}.jpg the six 1024x1024 faces of the panorama cube; every pixel
                                           is coloured by its viewing direction, so the faces meet
                                           without seams
  DemoImgs_standard/large/NN.jpg           the demonstration book shown at start-up
  TmplData/                                 (folder only; the player files are added elsewhere)

Usage: scripts/make_resources.py [--out APPFILES_FOLDER] [PART ...]
       (default: everything, into resources/AppFiles of this checkout; a PART is a template name or "demo")

The output is deterministic on one machine: the same script writes byte-identical files.

Values the book players interpret (the descriptions in the property trees say the same to the user):
  BackgroundType  "GradientColor" | "Color" | "Image" (the picture of ImagePath over Color)
  BgType          "Image" publishes the ImagePath file with the book, "None" leaves it out
  ImgPosition     "Fill" | "Fit" | "Stretch" | "Center" | "Tile"
  GradientAngle   degrees; 90 runs top to bottom, 0 left to right
  loop            extra auto-flip rounds after the last page; 0 stops there, -1 repeats for ever
  TiltAngle       "Show" | "Hide": the tilt button (the key also feeds the configuration's TiltAngle
                  element, which the player reads as a number and so leaves at its default angle)
  direction       "Right" (left-to-right books) | "Left" (right-to-left books), mobile version only
Switches are "pt_list" properties offering exactly "Yes,No" or "Show,Hide": the book writers compare
with those words, and a "pt_bool" check box would store "YES"/"NO" instead.
Style and template folders are kept flat (no sub-folders) because the catalogue lists every nested
folder below the style root as a style of its own.
"""

import os
import sys
from xml.sax.saxutils import escape

# ---------------------------------------------------------------------------------------------
# Property trees
# ---------------------------------------------------------------------------------------------
# Switches are "pt_list" properties whose choices are exactly the words the book writers compare
# with ("Yes"/"No", "Show"/"Hide"): a "pt_bool" check box would store "YES"/"NO", which the
# writers do not accept.

YES_NO = "Yes,No"
SHOW_HIDE = "Show,Hide"
IMAGE_FILTER = "Image files (*.jpg, *.png, *.gif)|*.jpg;*.png;*.gif"
LOGO_FILTER = "Image files (*.jpg, *.png, *.gif, *.bmp)|*.jpg;*.png;*.gif;*.bmp"
SOUND_FILTER = "MP3 sound files (*.mp3)|*.mp3"
DOWNLOAD_FILTER = "Documents (*.pdf, *.zip, *.epub, *.txt)|*.pdf;*.zip;*.epub;*.txt"
LANGUAGES = "English,French,German,Spanish,Italian,Portuguese,Dutch,Swedish,Polish,Russian,Chinese,Japanese"


def prop(key, type_, title, desc, value="", source=""):
    return {'key': key, 'type': type_, 'title': title, 'desc': desc, 'value': value, 'source': source,
            'children': []}


def group(key, title, desc, children):
    g = prop(key, 'pt_composite', title, desc)
    g['children'] = children
    return g


def property_tree(v, notes=None):
    """The property tree every template shares; v maps keys to the template's own default values, notes
    maps keys to a sentence the template adds to that property's description."""
    tree = _shared_tree(v)
    for p in _walk(tree):
        if notes and p['key'] in notes:
            p['desc'] += " " + notes[p['key']]
    return tree


def _walk(props):
    for p in props:
        yield p
        yield from _walk(p['children'])


def _shared_tree(v):
    return [
        group("BookGroup", "Book", "Size, title, colours and behaviour of the book itself.", [
            prop("Title", "pt_text", "Book title",
                 "The title shown in the book's tool bar and in the mobile version. Left at this "
                 "default, the book shows the title it is published with.", v["Title"]),
            prop("BaseColor", "pt_color", "Main colour",
                 "Colour of the tool bar, the buttons and the other controls around the book, as a "
                 "hexadecimal RGB value such as 0x804000.", v["BaseColor"]),
            prop("PerPageThickness", "pt_number", "Page thickness",
                 "Thickness of one sheet in pixels; the book's edge grows with the number of pages.",
                 v["PerPageThickness"]),
            prop("AutoScale", "pt_list", "Fit book to window",
                 "Yes: the book grows and shrinks with the browser window. No: it keeps its page size.",
                 v["AutoScale"], YES_NO),
            prop("languageSetting", "pt_list", "Language",
                 "Language of the tool bar's tips and messages. Choosing another template or style "
                 "keeps it.", v["languageSetting"], LANGUAGES),
        ]),
        group("AuthorGroup", "Author", "Who made the book; shown in the book's information panel.", [
            prop("AuthorName", "pt_text", "Author name", "Name of the book's author or publisher.",
                 v["AuthorName"]),
            prop("AuthorEmail", "pt_text", "E-mail address", "Contact e-mail address of the author.",
                 v["AuthorEmail"]),
            prop("AuthorWebSite", "pt_text", "Web site", "Web site of the author, for example "
                 "https://www.example.com.", v["AuthorWebSite"]),
            prop("AuthorInfo", "pt_text", "Description",
                 "A few words about the book, shown in the information panel and used as the mobile "
                 "version's description.", v["AuthorInfo"]),
        ]),
        group("LogoGroup", "Logo", "A small picture in the corner of the book's window.", [
            prop("ShowLogo", "pt_list", "Show logo", "Yes: the logo picture is displayed. No: no logo.",
                 v["ShowLogo"], YES_NO),
            prop("LogoFile", "pt_file", "Logo picture",
                 "A JPG, PNG, GIF or BMP picture, about 150 x 50 pixels.", v["LogoFile"], LOGO_FILTER),
            prop("LogoLink", "pt_text", "Logo link",
                 "Web address opened when the reader clicks the logo; leave empty for none.", v["LogoLink"]),
        ]),
        group("BackgroundGroup", "Background", "What is drawn behind the book.", [
            prop("BackgroundType", "pt_list", "Background fill",
                 "GradientColor: a gradient from the start colour to the end colour. Color: one plain "
                 "colour. Image: the background picture, over the plain colour.", v["BackgroundType"],
                 "GradientColor,Color,Image"),
            prop("Color", "pt_color", "Plain colour", "The colour used when the fill is Color.", v["Color"]),
            prop("GradientStartColor", "pt_color", "Gradient start colour",
                 "First colour of the gradient (also the mobile version's background).",
                 v["GradientStartColor"]),
            prop("GradientEndColor", "pt_color", "Gradient end colour", "Last colour of the gradient.",
                 v["GradientEndColor"]),
            prop("GradientAngle", "pt_number", "Gradient angle",
                 "Direction of the gradient in degrees: 90 runs from top to bottom, 0 from left to right.",
                 v["GradientAngle"]),
            prop("BgType", "pt_list", "Publish picture",
                 "Image: the picture file below is published with the book, as the Image fill needs. "
                 "None: it is left out.", v["BgType"], "Image,None"),
            prop("ImagePath", "pt_file", "Picture file", "A JPG, PNG or GIF picture for the background.",
                 v["ImagePath"], IMAGE_FILTER),
            prop("ImgPosition", "pt_list", "Picture position",
                 "Fill: cover the window, cropping the picture. Fit: show it whole. Stretch: distort it to "
                 "the window. Center: original size in the middle. Tile: repeat it.", v["ImgPosition"],
                 "Fill,Fit,Stretch,Center,Tile"),
        ]),
        group("ButtonsGroup", "Tool bar buttons", "Which buttons the tool bar shows.", [
            prop("Zoom", "pt_list", "Zoom button", "Lets the reader enlarge a page.", v["Zoom"], SHOW_HIDE),
            prop("TiltAngle", "pt_list", "Tilt button",
                 "Lets the reader tilt the open book back for a view in perspective.", v["TiltAngle"],
                 SHOW_HIDE),
            prop("AutoPlay", "pt_list", "Auto flip button", "Starts and stops automatic page turning.",
                 v["AutoPlay"], SHOW_HIDE),
            prop("BackgroundSound", "pt_list", "Sound button", "Switches the background music on and off.",
                 v["BackgroundSound"], SHOW_HIDE),
            prop("Info", "pt_list", "Information button", "Shows the author's details.", v["Info"], SHOW_HIDE),
            prop("Bookmark", "pt_list", "Bookmark button", "Shows the table of contents.", v["Bookmark"],
                 SHOW_HIDE),
            prop("Thumbnail", "pt_list", "Thumbnails button", "Shows small pictures of all pages.",
                 v["Thumbnail"], SHOW_HIDE),
            prop("FullScreen", "pt_list", "Full screen button", "Shows the book on the whole screen.",
                 v["FullScreen"], SHOW_HIDE),
            prop("Help", "pt_list", "Help button", "Shows how to use the book.", v["Help"], SHOW_HIDE),
            prop("Share", "pt_list", "Share button", "Lets the reader share the book's address.", v["Share"],
                 SHOW_HIDE),
            prop("Print", "pt_list", "Print button", "Lets the reader print pages.", v["Print"], SHOW_HIDE),
            prop("Download", "pt_list", "Download button",
                 "Lets the reader download the file chosen under Download.", v["Download"], SHOW_HIDE),
        ]),
        group("AutoFlipGroup", "Auto flip", "Turning the pages automatically.", [
            prop("Enable", "pt_list", "Start automatically",
                 "Yes: the pages start turning by themselves when the book opens.", v["Enable"], YES_NO),
            prop("Interval", "pt_number", "Seconds per page", "Time in seconds before the next page turns.",
                 v["Interval"]),
            prop("loop", "pt_number", "Extra rounds",
                 "How many times auto flip starts again from the first page after the last one; 0 stops "
                 "at the last page, -1 repeats for ever.", v["loop"]),
        ]),
        group("SoundGroup", "Sound", "Music and the sound of turning pages.", [
            prop("PlayFlipSound", "pt_list", "Page turn sound", "Yes: a soft paper sound plays at every turn.",
                 v["PlayFlipSound"], YES_NO),
            prop("SoundFile", "pt_file", "Background music", "An MP3 file played while the book is open.",
                 v["SoundFile"], SOUND_FILTER),
            prop("LoopSound", "pt_list", "Repeat music", "Yes: the music starts again when it ends.",
                 v["LoopSound"], YES_NO),
        ]),
        group("ServicesGroup", "Download, sharing and statistics", "Extra services of the published book.", [
            prop("DownloadFile", "pt_file", "Download file",
                 "A file the reader can download with the download button, for example the original PDF.",
                 v["DownloadFile"], DOWNLOAD_FILTER),
            prop("ShareID", "pt_text", "Sharing service ID", "Account ID of the sharing service; may be empty.",
                 v["ShareID"]),
            prop("GoogleID", "pt_text", "Google Analytics ID",
                 "Web property ID (such as UA-12345-1) for visitor statistics of the book; may be empty.",
                 v["GoogleID"]),
        ]),
        group("MobileGroup", "Mobile version", "Settings used only by the HTML5 version for phones and tablets.", [
            prop("bookTitle", "pt_text", "Mobile page title", "Title of the single-slide mobile page.",
                 v["bookTitle"]),
            prop("link", "pt_text", "Mobile logo link", "Web address opened when the logo is tapped.",
                 v["link"]),
            prop("direction", "pt_list", "Reading direction",
                 "Right: pages turn from right to left as in English books. Left: for books read from "
                 "right to left.", v["direction"], "Right,Left"),
            prop("GoogleAnalytics", "pt_text", "Mobile Google Analytics ID",
                 "Web property ID for visitor statistics of the mobile version; may be empty.",
                 v["GoogleAnalytics"]),
        ]),
    ]


COMMON_DEFAULTS = {
    "Title": "Leafcraft Book", "BaseColor": "0x804000",
    "PerPageThickness": "1", "AutoScale": "Yes", "languageSetting": "English",
    "AuthorName": "", "AuthorEmail": "", "AuthorWebSite": "", "AuthorInfo": "",
    "ShowLogo": "No", "LogoFile": "", "LogoLink": "",
    "BackgroundType": "GradientColor", "Color": "0x808000", "GradientStartColor": "0xFF9900",
    "GradientEndColor": "0xe8ac4d", "GradientAngle": "90", "BgType": "None", "ImagePath": "",
    "ImgPosition": "Fill",
    "Zoom": "Show", "TiltAngle": "Show", "AutoPlay": "Show", "BackgroundSound": "Show", "Info": "Show",
    "Bookmark": "Show", "Thumbnail": "Show", "FullScreen": "Show", "Help": "Show", "Share": "Show",
    "Print": "Show", "Download": "Hide",
    "Enable": "No", "Interval": "3", "loop": "0",
    "PlayFlipSound": "Yes", "SoundFile": "", "LoopSound": "Yes",
    "DownloadFile": "", "ShareID": "", "GoogleID": "",
    "bookTitle": "Leafcraft Book", "link": "", "direction": "Right", "GoogleAnalytics": "",
}

# Every key the book writers read, in the order they appear in the tree above.
ALL_KEYS = list(COMMON_DEFAULTS)


def template_xml(info, tree):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<flashTemplate>', '  <info>']
    for name in ("htmlPath", "swfPath", "defaultStyle", "macAppFilesFolder", "mobileTmplFilesPath"):
        lines.append('    <%s>%s</%s>' % (name, escape(info[name]), name))
    lines += ['  </info>', '  <properties>']

    def emit(p, indent):
        pad = ' ' * indent
        lines.append('%s<property type="%s">' % (pad, p['type']))
        for field, name in (('key', 'key'), ('title', 'title'), ('desc', 'desc'), ('value', 'value'),
                            ('source', 'valueSource'), ('value', 'defaultValue')):
            lines.append('%s  <%s>%s</%s>' % (pad, name, escape(p[field]), name))
        if p['children']:
            lines.append('%s  <childProperties>' % pad)
            for c in p['children']:
                emit(c, indent + 4)
            lines.append('%s  </childProperties>' % pad)
        lines.append('%s</property>' % pad)

    for p in tree:
        emit(p, 4)
    lines += ['  </properties>', '</flashTemplate>', '']
    return '\n'.join(lines)



# ---------------------------------------------------------------------------------------------
# Templates and styles
# ---------------------------------------------------------------------------------------------

TEMPLATES = {
    "float": {
        "info": {"defaultStyle": "Blue"},
        "defaults": {"BaseColor": "0x1f4e79", "Color": "0x2d5a8c", "GradientStartColor": "0x6fa8dc",
                     "GradientEndColor": "0x1c4587"},
        "icon": "icon_float",
        "styles": {
            "Blue": {"BaseColor": "0x1f4e79", "BackgroundType": "Image", "Color": "0x2d5a8c",
                     "GradientStartColor": "0x6fa8dc", "GradientEndColor": "0x1c4587", "GradientAngle": "90",
                     "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Sunset": {"BaseColor": "0x8a3b12", "BackgroundType": "Image", "Color": "0xd35400",
                       "GradientStartColor": "0xffb347", "GradientEndColor": "0xc0392b", "GradientAngle": "90",
                       "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Forest": {"BaseColor": "0x2e5e2e", "BackgroundType": "Image", "Color": "0x3d7a47",
                       "GradientStartColor": "0xa8d5a2", "GradientEndColor": "0x2f6b3a", "GradientAngle": "90",
                       "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Graphite": {"BaseColor": "0x333333", "BackgroundType": "Color", "Color": "0x3a3f44",
                         "GradientStartColor": "0x5d6770", "GradientEndColor": "0x23272b", "GradientAngle": "90",
                         "BgType": "None", "ImagePath": "", "ImgPosition": "Fill"},
        },
    },
    "Panoramic": {
        "info": {"defaultStyle": "Sky"},
        "defaults": {"BaseColor": "0x3b5b7a", "Color": "0x5d88b5", "GradientStartColor": "0x87b5e5",
                     "GradientEndColor": "0xdfeaf5", "TiltAngle": "Hide"},
        "icon": "icon_panoramic",
        "notes": {
            "BackgroundGroup": "The style's panorama, a cube of six pictures, surrounds the book; the "
                               "settings below colour what shows until the panorama has loaded.",
            "BgType": "The panorama comes with the style and needs no picture here.",
            "GradientStartColor": "The mobile version shows the panorama's back picture instead.",
        },
        "styles": {
            "Sky": {"BaseColor": "0x3b5b7a", "GradientStartColor": "0x87b5e5", "GradientEndColor": "0xdfeaf5",
                    "Color": "0x5d88b5", "BgType": "None"},
            "Dusk": {"BaseColor": "0x5a3550", "GradientStartColor": "0x2d2864", "GradientEndColor": "0xfaa05a",
                     "Color": "0x6b4a6b", "BgType": "None"},
            "Night": {"BaseColor": "0x1c2440", "GradientStartColor": "0x080c23", "GradientEndColor": "0x23325a",
                      "Color": "0x141a30", "BgType": "None"},
        },
    },
    "Linen": {
        "info": {"defaultStyle": "Natural"},
        "defaults": {"BaseColor": "0x7a6a53", "BackgroundType": "Color", "Color": "0xe9e1d0",
                     "GradientStartColor": "0xf3eee4", "GradientEndColor": "0xd9cfbc", "PerPageThickness": "2",
                     "TiltAngle": "Hide", "Share": "Hide"},
        "icon": "icon_linen",
        "styles": {
            "Natural": {"BaseColor": "0x7a6a53", "BackgroundType": "Image", "Color": "0xe9e1d0",
                        "GradientStartColor": "0xf3eee4", "GradientEndColor": "0xd9cfbc",
                        "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
            "Slate": {"BaseColor": "0x4a5560", "BackgroundType": "Image", "Color": "0xc9ced3",
                      "GradientStartColor": "0xdfe3e7", "GradientEndColor": "0xaab2ba",
                      "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
            "Sage": {"BaseColor": "0x5f6f52", "BackgroundType": "Image", "Color": "0xd5dcc8",
                     "GradientStartColor": "0xe6ebdd", "GradientEndColor": "0xbcc7ab",
                     "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
        },
    },
}

INFO_COMMON = {"htmlPath": "template.html", "swfPath": "Main.swf", "macAppFilesFolder": "TmplData/mac.app",
               "mobileTmplFilesPath": "TmplData/mobile"}


def settings_text(values):
    """tmplSetting.txt: a heading line (ignored by the reader: it has no '=') and key=value lines."""
    lines = ["# Leafcraft style settings"] + ["%s=%s" % (k, v) for k, v in values.items()]
    return "\n".join(lines) + "\n"


class Writer:
    def __init__(self, root):
        self.root = root
        self.written = []
        self.bytes = 0

    def write(self, rel, data):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(data, str):
            data = data.encode('utf-8')
        old = None
        if os.path.exists(path):
            with open(path, 'rb') as f:
                old = f.read()
        if old != data:
            with open(path + '.tmp', 'wb') as f:
                f.write(data)
            os.replace(path + '.tmp', path)
        self.written.append(rel)
        self.bytes += len(data)


def generate(root, only=None, pictures=True, log=print):
    """Writes the data into root (an AppFiles folder). only: template names and/or "demo" to limit the
    work; pictures=False writes the text files alone. Returns the relative paths written."""
    out = Writer(root)
    if pictures:
        # Pillow and numpy are needed for the pictures only, not for the text files.
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import resource_pictures as pics
    out.write("TmplData/README.txt", "Template data shared by all templates: the book player, the mobile player\n"
              "files (mobile/Flip, mobile/Slide) and the application bundle skeleton (mac.app).\n")
    for name, t in TEMPLATES.items():
        if only and name not in only:
            continue
        values = dict(COMMON_DEFAULTS)
        values.update(t["defaults"])
        info = dict(INFO_COMMON)
        info.update(t["info"])
        out.write("Templates/%s/flashTemplate.xml" % name, template_xml(info, property_tree(values, t.get("notes"))))
        for style, settings in t["styles"].items():
            out.write("Styles/%s/%s/tmplSetting.txt" % (name, style), settings_text(settings))
        if not pictures:
            continue
        out.write("Templates/%s/icon.png" % name, pics.png_bytes(getattr(pics, t["icon"])()))
        for style, settings in t["styles"].items():
            sdir = "Styles/%s/%s/" % (name, style)
            look = dict(values)
            look.update(settings)
            picture = None
            if name == "float":
                if settings["BgType"] == "Image":
                    picture = pics.float_bg(style)
                    out.write(sdir + "bg.jpg", pics.jpeg_bytes(picture, 80))
                background = pics.fill_background(pics.canvas(240, 180), look, picture)
            elif name == "Panoramic":
                faces = {face: pics.cube_face(face, pics.PANORAMA_LOOKS[style]) for face in "bdflru"}
                for face, image in faces.items():
                    out.write(sdir + face + ".jpg", pics.jpeg_bytes(image, 75))
                background = faces['f'].resize((240, 240), pics.Image.LANCZOS).crop((0, 30, 240, 210))
            else:
                picture = pics.linen_tile(256, pics.hexrgb(settings["Color"]), sum(map(ord, style)))
                out.write(sdir + "bg.jpg", pics.jpeg_bytes(picture, 85))
                background = pics.fill_background(pics.canvas(240, 180), look,
                                                  picture.resize((128, 128), pics.Image.LANCZOS))
            out.write(sdir + "shot.jpg", pics.jpeg_bytes(pics.shot(background, look), 85))
        log("template %s done" % name)
    if pictures and (not only or "demo" in only):
        for i, page in enumerate(pics.demo_pages(), 1):
            out.write("DemoImgs_standard/large/%02d.jpg" % i, pics.jpeg_bytes(page, 80))
    log("%d files, %d bytes" % (len(out.written), out.bytes))
    return out.written


def main(argv):
    import argparse
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Writes Leafcraft's shipped template data.")
    parser.add_argument("--out", default=os.path.join(here, "..", "resources", "AppFiles"),
                        help="the AppFiles folder to write (default: resources/AppFiles of this checkout)")
    parser.add_argument("parts", nargs="*", metavar="PART",
                        help="limit the work to these templates and/or 'demo' (default: everything)")
    args = parser.parse_args(argv[1:])
    unknown = [p for p in args.parts if p not in TEMPLATES and p != "demo"]
    if unknown:
        parser.error("unknown part(s): %s (choose from %s, demo)" % (", ".join(unknown), ", ".join(TEMPLATES)))
    generate(os.path.normpath(args.out), set(args.parts) or None, log=lambda m: print(m, flush=True))


if __name__ == "__main__":
    main(sys.argv)
