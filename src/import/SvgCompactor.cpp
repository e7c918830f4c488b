#include "import/SvgCompactor.h"

#include "import/SvgSyntax_p.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

namespace leafcraft {

namespace {

using namespace svg;

// A hundredth of a point at scale 1; finer groups get more places, coarser ones fewer.
int decimalsForScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return 2;
    return std::clamp(int(std::ceil(2.0 - std::log10(scale) - 1e-9)), 0, 6);
}

constexpr int kGlyphDecimals = 4; // glyph outlines in em units

bool isLength(const QByteArray& name)
{
    static const char* const names[] = {"x", "y", "width", "height", "stroke-width", "r", "cx", "cy",
                                        "rx", "ry", "x1", "y1", "x2", "y2", "stroke-dasharray",
                                        "stroke-dashoffset"};
    for (const char* n : names)
        if (name == n)
            return true;
    return false;
}

class Compactor {
public:
    explicit Compactor(const std::function<SvgPicture(const SvgPicture&)>& reencode) : m_reencode(reencode) {}

    CompactSvg run(const QByteArray& svg)
    {
        qsizetype pos = 0;
        Tag tag;
        while (pos < svg.size()) {
            const qsizetype lt = svg.indexOf('<', pos);
            const qsizetype textEnd = lt < 0 ? svg.size() : lt;
            const char* from = svg.constData() + pos;
            const char* to = svg.constData() + textEnd;
            if (std::any_of(from, to, [](char c) { return !std::isspace(static_cast<unsigned char>(c)); })) {
                endGlyphRun();
                sink().append(from, to - from);
            }
            if (lt < 0)
                break;
            const qsizetype next = readTag(svg, lt, tag);
            if (next < 0) { // a tag without end: keep the rest as it stands
                endGlyphRun();
                sink() += svg.mid(lt);
                break;
            }
            handle(tag);
            pos = next;
        }
        endGlyphRun();
        CompactSvg result = m_result;
        result.svg = m_head;
        if (!m_glyphDefs.isEmpty() || !m_otherDefs.isEmpty())
            result.svg += "<defs>" + m_glyphDefs + m_otherDefs + "</defs>";
        result.svg += m_body;
        return result;
    }

private:
    struct Glyph {
        QByteArray d;
        QByteArray unitId; // the id of its outline at em size once written
    };

    QByteArray& sink() { return m_inDefs > 0 ? m_otherDefs : m_body; }
    double scale() const { return m_scales.empty() ? 1.0 : m_scales.back(); }

    void handle(Tag& tag)
    {
        if (tag.kind == Tag::Kind::Close) {
            endGlyphRun();
            if (tag.name == "defs") {
                m_inDefs = std::max(0, m_inDefs - 1);
                if (!m_scales.empty())
                    m_scales.pop_back();
                return;
            }
            if (!m_scales.empty())
                m_scales.pop_back();
            sink() += tag.raw;
            return;
        }
        if (tag.kind == Tag::Kind::Other) {
            endGlyphRun();
            sink() += tag.raw;
            return;
        }
        if (tag.name == "svg" && m_head.isEmpty()) {
            tag.remove("version");
            m_scales.push_back(1.0);
            writeTag(m_head, tag);
            return;
        }
        if (tag.name == "defs") {
            endGlyphRun();
            if (tag.kind == Tag::Kind::Open) {
                ++m_inDefs;
                m_scales.push_back(scale());
            }
            return;
        }
        if (m_inDefs > 0 && tag.name == "path" && tag.kind == Tag::Kind::Empty) {
            const QByteArray* id = tag.find("id");
            const QByteArray* d = tag.find("d");
            if (id && d && id->startsWith("font_")) {
                // A glyph whose outline has no line or curve draws nothing (a space).
                static const QByteArray strokes = "LlCcQqHhVvSsTtAa";
                const bool blank = std::none_of(d->begin(), d->end(), [](char c) { return strokes.contains(c); });
                m_glyphs.insert(*id, Glyph{blank ? QByteArray() : d->trimmed(), QByteArray()});
                return;
            }
        }
        if (tag.name == "use" && m_inDefs == 0 && placeGlyph(tag))
            return;
        endGlyphRun();
        writeElement(tag);
    }

    // A glyph placed with <use>: written compactly, or false when it is no glyph use.
    bool placeGlyph(Tag& tag)
    {
        const QByteArray* hrefValue = tag.find("xlink:href");
        if (!hrefValue)
            hrefValue = tag.find("href");
        if (!hrefValue || !hrefValue->startsWith("#font_"))
            return false;
        const QByteArray glyphId = hrefValue->mid(1);
        auto glyph = m_glyphs.find(glyphId);
        if (glyph == m_glyphs.end())
            return false;
        ++m_result.drawingElements;
        if (glyph->d.isEmpty())
            return true; // a blank glyph draws nothing
        Matrix m;
        const QByteArray* transform = tag.find("transform");
        if (transform && !parseMatrix(*transform, m))
            return false;
        QByteArray style;
        for (const Attribute& a : tag.attributes) {
            if (a.name == "xlink:href" || a.name == "href" || a.name == "transform" || a.name == "data-text")
                continue;
            style += ' ' + a.name + "=\"" + a.value + '"';
        }
        const int decimals = decimalsForScale(scale());
        QByteArray place;
        if (m.b == 0 && m.c == 0) {
            const QByteArray id = scaledGlyph(glyphId, *glyph, m.a, m.d, decimals);
            if (!id.isEmpty()) {
                place = "<use href=\"#" + id + "\" x=\"";
                appendSvgNumber(place, m.e, decimals);
                place += "\" y=\"";
                appendSvgNumber(place, m.f, decimals);
                place += "\"/>";
            }
        }
        if (place.isEmpty())
            place = "<use href=\"#" + unitGlyph(*glyph) + "\" transform=\"" + matrixText(m, decimals) + "\"/>";
        if (!m_inRun || style != m_runStyle) {
            endGlyphRun();
            if (!style.isEmpty())
                m_body += "<g" + style + '>';
            m_inRun = true;
            m_runStyle = style;
        }
        m_body += place;
        return true;
    }

    void endGlyphRun()
    {
        if (m_inRun && !m_runStyle.isEmpty())
            m_body += "</g>";
        m_inRun = false;
        m_runStyle.clear();
    }

    QByteArray newId()
    {
        return 'g' + QByteArray::number(m_nextId++, 36);
    }

    QByteArray unitGlyph(Glyph& glyph)
    {
        if (glyph.unitId.isEmpty()) {
            glyph.unitId = newId();
            QByteArray d;
            if (!writePath(d, glyph.d, 1, 1, kGlyphDecimals))
                d = glyph.d;
            m_glyphDefs += "<path id=\"" + glyph.unitId + "\" d=\"" + d + "\"/>";
        }
        return glyph.unitId;
    }

    QByteArray scaledGlyph(const QByteArray& glyphId, const Glyph& glyph, double sx, double sy, int decimals)
    {
        const auto key = std::make_tuple(glyphId, sx, sy, decimals);
        const auto found = m_scaled.find(key);
        if (found != m_scaled.end())
            return found->second;
        QByteArray d;
        QByteArray id;
        if (writePath(d, glyph.d, sx, sy, decimals)) {
            id = newId();
            m_glyphDefs += "<path id=\"" + id + "\" d=\"" + d + "\"/>";
        }
        m_scaled.emplace(key, id);
        return id;
    }

    void writeElement(Tag& tag)
    {
        tag.remove("data-text");
        if (const QByteArray* href = tag.find("xlink:href")) {
            const QByteArray value = *href;
            tag.remove("xlink:href");
            tag.attributes.push_back({"href", value});
        }
        const double parentScale = scale();
        double ownScale = parentScale;
        for (Attribute& a : tag.attributes) {
            if (a.name != "transform")
                continue;
            Matrix m;
            if (parseMatrix(a.value, m)) {
                a.value = matrixText(m, decimalsForScale(parentScale));
                ownScale = parentScale * (m.scale() > 0 ? m.scale() : 1.0);
            }
        }
        const int decimals = decimalsForScale(ownScale);
        for (Attribute& a : tag.attributes) {
            if (a.name == "d") {
                QByteArray d;
                if (writePath(d, a.value, 1, 1, decimals))
                    a.value = d;
            } else if (isLength(a.name)) {
                a.value = numbersText(a.value, decimals);
            } else if (a.name == "href" && a.value.startsWith("data:")) {
                a.value = picture(a.value);
            }
        }
        if (tag.name == "path" || tag.name == "image" || tag.name == "rect" || tag.name == "use")
            ++m_result.drawingElements;
        if (tag.kind == Tag::Kind::Open)
            m_scales.push_back(ownScale);
        writeTag(sink(), tag);
    }

    QByteArray picture(const QByteArray& uri)
    {
        const qsizetype marker = uri.indexOf(";base64,");
        if (marker < 0)
            return uri;
        SvgPicture in;
        in.mimeType = uri.mid(5, marker - 5);
        in.data = QByteArray::fromBase64(uri.mid(marker + 8));
        const SvgPicture out = m_reencode ? m_reencode(in) : in;
        ++m_result.pictures;
        m_result.pictureBytes += out.data.size();
        return "data:" + out.mimeType + ";base64," + out.data.toBase64();
    }

    const std::function<SvgPicture(const SvgPicture&)>& m_reencode;
    CompactSvg m_result;
    QByteArray m_head, m_glyphDefs, m_otherDefs, m_body;
    QHash<QByteArray, Glyph> m_glyphs;
    std::map<std::tuple<QByteArray, double, double, int>, QByteArray> m_scaled;
    std::vector<double> m_scales;
    int m_inDefs = 0;
    int m_nextId = 0;
    bool m_inRun = false;
    QByteArray m_runStyle;
};

} // namespace

void appendSvgNumber(QByteArray& out, double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 9);
    const double factor = std::pow(10.0, decimals);
    const double scaled = std::round(value * factor);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9e15) {
        out += QByteArray::number(std::isfinite(value) ? value : 0.0, 'g', 10);
        return;
    }
    long long n = static_cast<long long>(scaled);
    if (n == 0) {
        out += '0';
        return;
    }
    const bool negative = n < 0;
    n = negative ? -n : n;
    while (decimals > 0 && n % 10 == 0) {
        n /= 10;
        --decimals;
    }
    char buffer[40];
    char* p = buffer + sizeof buffer;
    for (int i = 0; i < decimals; ++i, n /= 10)
        *--p = char('0' + n % 10);
    if (decimals > 0)
        *--p = '.';
    if (n > 0 || decimals == 0) {
        do {
            *--p = char('0' + n % 10);
            n /= 10;
        } while (n > 0);
    }
    if (negative)
        *--p = '-';
    out.append(p, buffer + sizeof buffer - p);
}

CompactSvg compactSvg(const QByteArray& svg, const std::function<SvgPicture(const SvgPicture&)>& reencode)
{
    return Compactor(reencode).run(svg);
}

} // namespace leafcraft
