#include "publish/OutputMobileVersion_p.h"

#include <algorithm>

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace leafcraft::detail {

namespace {

const QString kPicturePath = QStringLiteral("../files/mobile/");
const QString kThumbPath = QStringLiteral("../files/thumb/");
const QString kExtFilesPath = QStringLiteral("../files/extfiles/");

void entry(QString& text, const char* key, const QString& value)
{
    text += QLatin1String(key) + QLatin1Char(':') + value + QLatin1Char(',');
}

QString colour(const QString& value)
{
    QString c = value;
    c.replace(QLatin1String("0x"), QLatin1String("#"));
    return jsStringLiteral(c);
}

// "../files/extfiles/<name>.<extension of value>", or "" for an empty value: where the book
// writer puts the file a pt_file property names.
QString extFileUrl(const QString& name, const QString& value)
{
    if (value.isEmpty())
        return jsStringLiteral(value);
    return jsStringLiteral(kExtFilesPath + name + QLatin1Char('.') + QFileInfo(value).suffix());
}

} // namespace

QString jsStringLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '/':
            // "</" would close an inline script element.
            out += (i > 0 && text.at(i - 1) == QLatin1Char('<')) ? QLatin1String("\\/") : QLatin1String("/");
            break;
        default:
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            } else if (c.unicode() < 0x20 || c.isSurrogate() || c.unicode() == 0x2028 || c.unicode() == 0x2029 || c.unicode() == 0x7f)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString jsNumber(const QString& value, const QString& fallback)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,15}(\\.[0-9]{1,15})?$"));
    const QString v = value.trimmed();
    return number.match(v).hasMatch() ? v : fallback;
}

QString flipSettingsText(const PropertyLookup& value, const MobileBookFacts& facts)
{
    QString t = QStringLiteral(
        "function orgt(s){ return binl2hex(core_hx(str2binl(s), s.length * chrsz));} var bookConfig ={");
    entry(t, "BookmarkButtonVisible", jsStringLiteral(QStringLiteral("Show")));
    entry(t, "searchColor", jsStringLiteral(QStringLiteral("#00ffff")));
    entry(t, "searchAlpha", QStringLiteral("0.3"));
    entry(t, "SearchButtonVisible", jsStringLiteral(QStringLiteral("Hide")));
    entry(t, "pageBackgroundColor", jsStringLiteral(QStringLiteral("#30373A")));
    entry(t, "flipshortcutbutton", jsStringLiteral(QStringLiteral("Show")));
    entry(t, "OriginPageIndex", QStringLiteral("1"));
    entry(t, "HardPageEnable", jsStringLiteral(QStringLiteral("No")));
    entry(t, "topMargin", QStringLiteral("10"));
    entry(t, "bottomMargin", QStringLiteral("10"));
    entry(t, "leftMargin", QStringLiteral("10"));
    entry(t, "rightMargin", QStringLiteral("10"));
    entry(t, "LinkDownColor", jsStringLiteral(QStringLiteral("#808080")));
    entry(t, "OpenWindow", jsStringLiteral(QStringLiteral("Blank")));
    entry(t, "LinkAlpha", QStringLiteral("0.1"));
    entry(t, "appLogoIcon", extFileUrl(QStringLiteral("LogoFile"), value(QStringLiteral("LogoFile"), QString(""))));
    entry(t, "appLogoLinkURL", jsStringLiteral(value(QStringLiteral("link"), QString(""))));
    entry(t, "bookTitle", jsStringLiteral(value(QStringLiteral("Title"), QString(""))));
    entry(t, "bookDescription", jsStringLiteral(value(QStringLiteral("AuthorInfo"), QString(""))));
    entry(t, "ShareButtonVisible", jsStringLiteral(value(QStringLiteral("Share"), QStringLiteral("Show"))));
    entry(t, "ThumbnailsButtonVisible", jsStringLiteral(value(QStringLiteral("Thumbnail"), QStringLiteral("Show"))));
    entry(t, "ZoomButtonVisible", jsStringLiteral(value(QStringLiteral("Zoom"), QStringLiteral("Show"))));
    entry(t, "enableAutoPlay", jsStringLiteral(value(QStringLiteral("Enable"), QStringLiteral("No"))));
    entry(t, "autoPlayDuration", jsNumber(value(QStringLiteral("Interval"), QStringLiteral("3")), QStringLiteral("3")));
    entry(t, "autoPlayLoopCount", jsNumber(value(QStringLiteral("loop"), QStringLiteral("0")), QStringLiteral("0")));
    entry(t, "bgBeginColor", colour(value(QStringLiteral("GradientStartColor"), QStringLiteral("0xFF9900"))));
    entry(t, "bgEndColor", colour(value(QStringLiteral("GradientEndColor"), QStringLiteral("0xe8ac4d"))));
    entry(t, "bgMRotation", jsNumber(value(QStringLiteral("GradientAngle"), QStringLiteral("90")), QStringLiteral("90")));
    if (facts.templateName == QLatin1String("Panoramic"))
        entry(t, "backGroundImgURL", jsStringLiteral(kExtFilesPath + QLatin1String("b.jpg")));
    else
        entry(t, "backGroundImgURL", extFileUrl(QStringLiteral("ImagePath"), value(QStringLiteral("ImagePath"), QString(""))));
    const bool leftToRight = value(QStringLiteral("direction"), QStringLiteral("Right")) == QLatin1String("Right");
    entry(t, "RightToLeft", jsStringLiteral(leftToRight ? QStringLiteral("No") : QStringLiteral("Yes")));
    entry(t, "googleAnalyticsID", jsStringLiteral(value(QStringLiteral("GoogleAnalytics"), QString(""))));
    entry(t, "totalPageCount", QString::number(facts.pageCount));
    entry(t, "largePageWidth", QString::number(facts.pageWidth));
    entry(t, "largePageHeight", QString::number(facts.pageHeight));
    entry(t, "normalPath", jsStringLiteral(kPicturePath));
    entry(t, "largePath", jsStringLiteral(kPicturePath));
    t += QLatin1String("thumbPath:") + jsStringLiteral(kThumbPath);
    t += QLatin1String("};var pageEditor = [];ols=[]");

    // Further settings as statements of their own after the object.
    const auto statement = [&t](const QString& text) {
        if (!t.endsWith(QLatin1Char(';')))
            t += QLatin1Char(';');
        t += text + QLatin1Char(';');
    };
    bool plain = facts.pageNumbers.size() == std::size_t(facts.pageCount);
    for (std::size_t i = 0; plain && i < facts.pageNumbers.size(); ++i)
        plain = facts.pageNumbers[i] == int(i) + 1;
    if (!plain) {
        QStringList numbers;
        for (int n : facts.pageNumbers)
            numbers << QString::number(n);
        statement(QLatin1String("bookConfig.pageNumbers=[") + numbers.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    // The language of the players' words, when the template sets one.
    const QString language = value(QStringLiteral("languageSetting"), QString());
    if (!language.isEmpty())
        statement(QLatin1String("bookConfig.language=") + jsStringLiteral(language));
    if (!facts.pictures.isEmpty()) {
        QStringList pictures;
        for (const QString& p : facts.pictures)
            pictures << jsStringLiteral(p);
        statement(QLatin1String("bookConfig.pictures=[") + pictures.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return t;
}

QString slideOptionsText(int pageWidth, int pageHeight, int totalPage)
{
    return QStringLiteral("{pageWidth:%1,pageHeight:%2,totalPage:%3,zoomPageDir:\"../files/mobile/\","
                          "normalPageDir:\"../files/mobile/\"}")
        .arg(pageWidth)
        .arg(pageHeight)
        .arg(totalPage);
}

QString htmlEscaped(const QString& text)
{
    QString out = text.toHtmlEscaped(); // &, <, >, "
    out.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return out;
}

QString fillSlidePage(const QString& page, const QString& title, const QString& options)
{
    return fillPlaceholders(page, {{QStringLiteral("${index.title}"), htmlEscaped(title)},
                                   {QStringLiteral("${fbbook.options}"), options}});
}

QString fillPlaceholders(const QString& page, const QList<QPair<QString, QString>>& values)
{
    QString out;
    out.reserve(page.size());
    qsizetype pos = 0;
    while (pos < page.size()) {
        const qsizetype at = page.indexOf(QLatin1String("${"), pos);
        if (at < 0)
            break;
        out += QStringView(page).mid(pos, at - pos);
        const auto known = std::find_if(values.begin(), values.end(), [&](const QPair<QString, QString>& v) {
            return QStringView(page).mid(at).startsWith(v.first);
        });
        if (known == values.end()) {
            out += QLatin1String("${");
            pos = at + 2;
            continue;
        }
        out += known->second;
        pos = at + known->first.size();
    }
    out += QStringView(page).mid(pos);
    return out;
}

QString noScriptText(const QString& languageTag)
{
    static const char* const texts[][2] = {
        {"fr", "Ce livre a besoin de JavaScript pour s’ouvrir."},
        {"de", "Dieses Buch braucht JavaScript, um sich zu öffnen."},
        {"es", "Este libro necesita JavaScript para abrirse."},
        {"it", "Questo libro ha bisogno di JavaScript per aprirsi."},
        {"pt", "Este livro precisa de JavaScript para abrir."},
        {"nl", "Dit boek heeft JavaScript nodig om te openen."},
        {"sv", "Den här boken behöver JavaScript för att öppnas."},
        {"pl", "Ta książka wymaga JavaScriptu, aby się otworzyć."},
        {"ru", "Для открытия этой книги нужен JavaScript."},
        {"zh", "打开本书需要 JavaScript。"},
        {"ja", "この本を開くには JavaScript が必要です。"},
    };
    for (const auto& t : texts)
        if (languageTag == QLatin1String(t[0]))
            return QString::fromUtf8(t[1]);
    return QStringLiteral("This book needs JavaScript to open.");
}

} // namespace leafcraft::detail
