#include "publish/BookDocuments.h"

#include "publish/Maker.h"

#include <QHash>
#include <cmath>

namespace leafcraft::bookdoc {

namespace {

QString S(const char* s)
{
    return QString::fromLatin1(s);
}

// Appends a leaf element with `value` as its text (appendTextElement).
xml::Element leaf(xml::Element parent, const char* name, const QString& value)
{
    return parent.appendElement(S(name), value);
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isBlank(QChar c)
{
    return c.isSpace();
}

} // namespace

quint32 colorWithHexString(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    if (i + 1 < n && text.at(i) == QLatin1Char('0') && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))
        && i + 2 < n && hexDigit(text.at(i + 2)) >= 0)
        i += 2;
    quint64 value = 0;
    for (; i < n; ++i) {
        const int d = hexDigit(text.at(i));
        if (d < 0)
            break;
        value = value * 16 + quint64(d);
        if (value > 0xFFFFFFFFull)
            value = 0x100000000ull; // keeps saturating while digits go on
    }
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : quint32(value);
}

QString colorText(const QString& text)
{
    return QString::number(qint32(colorWithHexString(text)));
}

QString pathExtension(const QString& path)
{
    QString name = path;
    while (name.endsWith(QLatin1Char('/')) && name.size() > 1)
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString(QLatin1String(""));
}

QString hiddenButtonList(const PropertyLookup& lookup)
{
    static const char* const keys[] = {"Zoom", "TiltAngle", "AutoPlay", "BackgroundSound", "Info", "Bookmark",
                                       "Thumbnail", "FullScreen", "Help", "Share", "Print", "Download"};
    QString list;
    for (const char* key : keys)
        if (lookup(S(key), S("Show")) == QLatin1String("Hide"))
            list += S(key) + QLatin1Char(',');
    list += QLatin1String(",Content");
    return list;
}

xml::Document configDocument(const PropertyLookup& lookup)
{
    auto value = [&](const char* key, const QString& def) { return lookup(S(key), def); };
    auto extFile = [](const char* key, const QString& path) {
        return QStringLiteral("extfiles/%1.%2").arg(S(key), pathExtension(path));
    };

    xml::Document doc = xml::Document::create(S("Folioscope"));
    xml::Element root = doc.root();
    leaf(root, "XMLVersion", S("1"));
    xml::Element config = root.appendElement(S("Config"));

    xml::Element author = config.appendElement(S("Author"));
    leaf(author, "Name", value("AuthorName", S("QUIREMARK")));
    leaf(author, "Email", value("AuthorEmail", maker::supportEmail()));
    leaf(author, "WebSite", value("AuthorWebSite", maker::webSite()));
    leaf(author, "Info", value("AuthorInfo", S("")));

    xml::Element setting = config.appendElement(S("Setting"));
    leaf(setting, "Title", value("Title", maker::webDomain()));
    leaf(setting, "BaseColor", colorText(value("BaseColor", S("0x804000"))));

    const QString logo = value("LogoFile", S(""));
    xml::Element logoEl = leaf(setting, "Logo", logo.isEmpty() ? S("") : extFile("LogoFile", logo));
    logoEl.setAttribute(S("displayLogo"), value("ShowLogo", S("Yes")) == QLatin1String("Yes") ? S("true") : S("false"));
    logoEl.setAttribute(S("link"), value("LogoLink", S("")));

    setting.appendElement(S("GoogleAnalytics")).setAttribute(S("webProperty"), value("GoogleID", S("")));
    setting.appendElement(S("ShareAnalytics")).setAttribute(S("id"), value("ShareID", S("")));
    leaf(setting, "ZoomModel", S("0"));
    setting.appendElement(S("Theme")).setAttribute(S("src"), S("theme/Main.swf"));

    const QString sound = value("SoundFile", S(""));
    const bool hasSound = !sound.isEmpty() && !pathExtension(sound).isEmpty();
    xml::Element music = leaf(setting, "BackgroundMusic", hasSound ? extFile("SoundFile", sound) : S(""));
    music.setAttribute(S("circle"), value("LoopSound", S("Yes")) == QLatin1String("Yes") ? S("-1") : S("0"));

    const QString download = value("DownloadFile", S(""));
    xml::Element downloadEl = setting.appendElement(S("Download"));
    downloadEl.setAttribute(S("src"), download.isEmpty() ? S("") : extFile("DownloadFile", download));
    // The name a reader's download is saved under: the chosen file's own.
    if (!download.isEmpty())
        downloadEl.setAttribute(S("fileName"), download.mid(download.lastIndexOf(QLatin1Char('/')) + 1));

    leaf(setting, "ControlButtonsInvisible", hiddenButtonList(lookup));

    xml::Element folio = setting.appendElement(S("FolioscopeSetting"));
    xml::Element bg = folio.appendElement(S("Background"));
    leaf(bg, "BackgroundType", value("BackgroundType", S("GradientColor")));
    leaf(bg, "Color", colorText(value("Color", S("0x808000"))));
    leaf(bg, "GradientStartColor", colorText(value("GradientStartColor", S("0xFF9900"))));
    leaf(bg, "GradientEndColor", colorText(value("GradientEndColor", S("0xe8ac4d"))));
    leaf(bg, "GradientAngle", value("GradientAngle", S("90")));
    const bool imageBg = value("BgType", S("Image")) == QLatin1String("Image");
    leaf(bg, "ImagePath", imageBg ? extFile("ImagePath", value("ImagePath", S(""))) : S(""));
    leaf(bg, "Position", value("ImgPosition", S("Fill")));

    xml::Element autoFlip = folio.appendElement(S("AutoFlip"));
    autoFlip.setAttribute(S("loop"), value("loop", S("0")));
    leaf(autoFlip, "Enable", value("Enable", S("No")));
    leaf(autoFlip, "Interval", value("Interval", S("3")));
    leaf(folio, "TiltAngle", value("TiltAngle", S("0")));
    leaf(folio, "AutoScale", value("AutoScale", S("Yes")));
    leaf(folio, "PlayFlipSound", value("PlayFlipSound", S("Yes")));
    leaf(folio, "PerPageThickness", value("PerPageThickness", S("1")));
    xml::Element mobility = folio.appendElement(S("Mobility"));
    // The reading direction follows the book's "direction" choice (as the phone version reads
    // it), so a right-to-left book turns the other way in the browser too.
    mobility.setAttribute(S("direction"), value("direction", S("Right")) == QLatin1String("Left") ? S("left") : S("right"));
    mobility.setAttribute(S("startPosition"), S("center"));

    xml::Element tmpl = setting.appendElement(S("Template"));
    xml::Element pano = tmpl.appendElement(S("PanoramicImage"));
    pano.setAttribute(S("type"), S("cube"));
    leaf(pano, "Left", S("extfiles/l.jpg"));
    leaf(pano, "Right", S("extfiles/r.jpg"));
    leaf(pano, "Top", S("extfiles/u.jpg"));
    leaf(pano, "Bottom", S("extfiles/d.jpg"));
    leaf(pano, "Front", S("extfiles/f.jpg"));
    leaf(pano, "Back", S("extfiles/b.jpg"));
    xml::Element camera = tmpl.appendElement(S("InitSetting")).appendElement(S("Camera"));
    camera.setAttribute(S("panAngle"), S("-90"));
    camera.setAttribute(S("tiltAngle"), S("-80"));
    return doc;
}

PageListSizes pageListSizes(int W, int H)
{
    // 32-bit products and truncating quotients; a zero side gives 0 instead of a fault.
    auto mulDiv = [](int a, int b, int c) { return c == 0 ? 0 : int(qint32(quint32(a) * quint32(b)) / c); };
    PageListSizes s;
    s.largeWidth = W;
    s.largeHeight = H;
    s.width = W > 700 ? 700 : W;
    s.height = W > 700 ? mulDiv(700, H, W) : H;
    s.thumbWidth = H > 180 ? mulDiv(180, W, H) : W;
    s.thumbHeight = H > 180 ? 180 : H;
    return s;
}

xml::Document pageListDocument(const QString& base, int W, int H, const std::vector<PageListEntry>& pages,
                               const xml::Element& pagesAnnos)
{
    const PageListSizes s = pageListSizes(W, H);
    xml::Document doc = xml::Document::create(S("Pages"));
    xml::Element root = doc.root();
    root.setAttribute(S("bace"), base);
    root.setAttribute(S("largeWidth"), QString::number(s.largeWidth));
    root.setAttribute(S("largeHeight"), QString::number(s.largeHeight));
    root.setAttribute(S("width"), QString::number(s.width));
    root.setAttribute(S("height"), QString::number(s.height));
    root.setAttribute(S("thumbWidth"), QString::number(s.thumbWidth));
    root.setAttribute(S("thumbHeight"), QString::number(s.thumbHeight));

    // Book position of the first page made from each document page.
    QHash<QString, int> positionOfPage;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString key = QString::number(pages[i].pageIndex);
        if (!positionOfPage.contains(key))
            positionOfPage.insert(key, int(i) + 1);
    }
    // Links of each position, in document order.
    QHash<QString, std::vector<xml::Element>> pageAnnos;
    if (!pagesAnnos.isNull())
        for (const xml::Element& pa : pagesAnnos.children(S("pageAnnos")))
            pageAnnos[pa.attribute(S("pageIndex")).value_or(QString())].push_back(pa);

    auto attr = [](const xml::Element& e, const char* name) { return e.attribute(S(name)).value_or(S("")); };
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PageListEntry& p = pages[i];
        xml::Element page = root.appendElement(S("Page"));
        page.setAttribute(S("type"), S("Image"));
        if (p.width > 0 && p.height > 0) {
            // Each page keeps its own shape: its displayed size, to a hundredth of a point.
            page.setAttribute(S("width"), QString::number(std::round(p.width * 100) / 100, 'g', 10));
            page.setAttribute(S("height"), QString::number(std::round(p.height * 100) / 100, 'g', 10));
        }
        page.appendElement(S("Item"), p.thumb).setAttribute(S("name"), S("thumb"));
        page.appendElement(S("Item"), p.normal).setAttribute(S("name"), S("normal"));
        page.appendElement(S("Item"), p.large).setAttribute(S("name"), S("large"));
        const auto found = pageAnnos.constFind(QString::number(i + 1));
        if (found == pageAnnos.constEnd())
            continue;
        for (const xml::Element& pa : *found) {
            for (const xml::Element& anno : pa.children()) {
                const auto url = anno.attribute(S("url"));
                int target = 0;
                if (!url) {
                    const auto dest = anno.attribute(S("pageIndex"));
                    if (attr(anno, "action") != QLatin1String("page") || !dest)
                        continue;
                    target = positionOfPage.value(dest->trimmed(), 0);
                    if (target == 0)
                        continue; // the book does not hold the target page
                }
                xml::Element item = page.appendElement(S("Item"));
                item.setAttribute(S("name"), S("Link"));
                item.setAttribute(S("type"), S("rect"));
                item.setAttribute(S("action"), attr(anno, "action"));
                item.setAttribute(S("x"), attr(anno, "x"));
                item.setAttribute(S("y"), attr(anno, "y"));
                item.setAttribute(S("width"), attr(anno, "width"));
                item.setAttribute(S("height"), attr(anno, "height"));
                if (url)
                    item.setAttribute(S("href"), *url);
                else
                    item.setAttribute(S("pageIndex"), QString::number(target));
            }
        }
    }
    return doc;
}

QByteArray jsStringLiteral(const QString& text)
{
    // Runs of characters that need no escape are appended whole; the text is converted to
    // UTF-8 once at the end.
    QString out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += QLatin1Char('"');
    const QChar* const begin = text.constData();
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    auto escape = [&](qsizetype i, QLatin1StringView replacement) {
        out += QStringView(begin + runStart, i - runStart);
        out += replacement;
        runStart = i + 1;
    };
    auto escapeHex = [&](qsizetype i, ushort u) {
        out += QStringView(begin + runStart, i - runStart);
        out += QLatin1String("\\u") + QString::number(u, 16).rightJustified(4, QLatin1Char('0'));
        runStart = i + 1;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const ushort u = begin[i].unicode();
        if (u >= 0x20 && u != '"' && u != '\\' && u != '/' && (u < 0x2028 || (u > 0x2029 && (u < 0xD800 || u > 0xDFFF))))
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && begin[i + 1].isLowSurrogate()) {
            ++i; // a valid pair stays as it is
            continue;
        }
        switch (u) {
        case '"': escape(i, QLatin1StringView("\\\"")); break;
        case '\\': escape(i, QLatin1StringView("\\\\")); break;
        case '\n': escape(i, QLatin1StringView("\\n")); break;
        case '\r': escape(i, QLatin1StringView("\\r")); break;
        case '\t': escape(i, QLatin1StringView("\\t")); break;
        case '\b': escape(i, QLatin1StringView("\\b")); break;
        case '\f': escape(i, QLatin1StringView("\\f")); break;
        case '/':
            if (i > 0 && begin[i - 1] == QLatin1Char('<'))
                escape(i, QLatin1StringView("\\/"));
            break;
        default: escapeHex(i, u); // other control characters, U+2028, U+2029, lone surrogates
        }
    }
    out += QStringView(begin + runStart, n - runStart);
    out += QLatin1Char('"');
    return out.toUtf8();
}

QByteArray configScript(const QByteArray& configXml)
{
    return "window.LeafcraftConfigXML = " + jsStringLiteral(QString::fromUtf8(configXml)) + ";\n";
}

QByteArray searchScript(const QStringList& pageTexts)
{
    QByteArray out = "window.LeafcraftSearchText = [";
    for (qsizetype i = 0; i < pageTexts.size(); ++i) {
        if (i)
            out += ',';
        out += jsStringLiteral(pageTexts.at(i));
    }
    out += "];\n";
    return out;
}

} // namespace leafcraft::bookdoc
