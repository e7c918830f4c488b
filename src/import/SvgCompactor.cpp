#include "import/SvgCompactor.h"

#include "import/SvgSyntax_p.h"

#include <QHash>
#include <QSet>

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
    if (scale == 1.0) // the page's own units, nearly every glyph's
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
        m_wordMarkers = !svg.contains('\x01') && !svg.contains('\x02');
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
        const QByteArray body = placeWords();
        CompactSvg result = m_result;
        result.svg = m_head;
        if (!m_glyphDefs.isEmpty() || !m_otherDefs.isEmpty())
            result.svg += "<defs>" + m_glyphDefs + m_otherDefs + "</defs>";
        result.svg += body;
        return result;
    }

private:
    struct Glyph {
        QByteArray d;
        QByteArray unitId; // the id of its outline at em size once written
    };

    // A glyph outline at the size it is placed at: written into the defs only when some glyph
    // is placed by it rather than as part of a word shape.
    struct SizedGlyph {
        QByteArray id;
        QByteArray d;          // absolute, for its own def
        QByteArray relativeD;  // all but the first point, relative: for word shapes
        double firstX = 0, firstY = 0;
        Box bounds;            // of the outline from its origin, in points
        bool written = false;
    };

    struct Placed {
        int glyph; // index in m_sized
        double x, y;
    };

    // Glyphs set side by side on one line with no space between them (in practice a word, or
    // the part of one in one colour) and the places they were set at.
    struct Word {
        QByteArray key; // the glyphs and their offsets from the first: equal keys draw alike
        std::vector<Placed> glyphs;
        int decimals;
    };

    struct Shape {
        int uses = 0;
        QByteArray id; // set when the shape is written as one path
    };

    // What an open element gives the elements inside it.
    struct Frame {
        double scale = 1;   // of its units against the page's
        Matrix ctm;         // from its units to the page's
        bool known = true;  // false under a transform that could not be read
        bool drawn = true;  // false in definitions, clip paths, masks, patterns
    };

    QByteArray& sink() { return m_inDefs > 0 ? m_otherDefs : m_body; }
    double scale() const { return m_frames.empty() ? 1.0 : m_frames.back().scale; }
    Frame frame() const { return m_frames.empty() ? Frame() : m_frames.back(); }
    void popFrame()
    {
        if (!m_frames.empty())
            m_frames.pop_back();
    }

    // -- what lies off the page ------------------------------------------------------------
    //
    // The back-end draws all of a page, also what lies outside its crop box (a print PDF's
    // bleed, crop marks, a page cropped to a part of a larger sheet); the viewBox shows only
    // the crop. A drawn element whose box (control points, a generous allowance for its stroke)
    // lies wholly outside the viewBox is left out. Anything whose place is not known for sure
    // is kept.

    static constexpr double kOffPageMargin = 1.0; // points

    bool offPage(const Box& box, const Matrix& own = Matrix()) const
    {
        const Frame f = frame();
        if (m_page.isEmpty() || box.isEmpty() || !f.known || !f.drawn || m_inDefs > 0)
            return false;
        const Box b = f.ctm.after(own).map(box);
        return b.x1 < m_page.x0 - kOffPageMargin || b.x0 > m_page.x1 + kOffPageMargin ||
               b.y1 < m_page.y0 - kOffPageMargin || b.y0 > m_page.y1 + kOffPageMargin;
    }


    void handle(Tag& tag)
    {
        if (tag.kind == Tag::Kind::Close) {
            endGlyphRun();
            if (tag.name == "defs") {
                m_inDefs = std::max(0, m_inDefs - 1);
                popFrame();
                return;
            }
            popFrame();
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
            m_frames.push_back(Frame());
            if (const QByteArray* viewBox = tag.find("viewBox")) {
                const NumberList box = parseNumbers(*viewBox);
                if (box.ok && box.items.size() == 4 && !box.items[0].command && !box.items[1].command &&
                    !box.items[2].command && !box.items[3].command && box.items[2].value > 0 && box.items[3].value > 0) {
                    m_page.add(box.items[0].value, box.items[1].value);
                    m_page.add(box.items[0].value + box.items[2].value, box.items[1].value + box.items[3].value);
                }
            }
            writeTag(m_head, tag);
            return;
        }
        if (tag.name == "defs") {
            endGlyphRun();
            if (tag.kind == Tag::Kind::Open) {
                ++m_inDefs;
                Frame inside = frame();
                inside.drawn = false;
                m_frames.push_back(inside);
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
        if (glyph->d.isEmpty()) {
            endWord(); // a blank glyph draws nothing but parts words
            return true;
        }
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
        const int sized = m.b == 0 && m.c == 0 ? scaledGlyph(glyphId, *glyph, m.a, m.d, decimals) : -1;
        if (!m_inRun || style != m_runStyle) {
            endGlyphRun();
            if (!style.isEmpty())
                m_body += "<g" + style + '>';
            m_inRun = true;
            m_runStyle = style;
        }
        if (sized < 0) {
            endWord();
            m_body += "<use href=\"#" + unitGlyph(*glyph) + "\" transform=\"" + matrixText(m, decimals) + "\"/>";
            return true;
        }
        Box bounds = m_sized[std::size_t(sized)].bounds;
        bounds.x0 += m.e, bounds.x1 += m.e, bounds.y0 += m.f, bounds.y1 += m.f;
        if (offPage(bounds)) {
            endWord();
            --m_result.drawingElements;
            return true;
        }
        addToWord(sized, m.e, m.f, decimals, std::fabs(m.a));
        return true;
    }

    void endGlyphRun()
    {
        endWord();
        if (m_inRun && !m_runStyle.isEmpty())
            m_body += "</g>";
        m_inRun = false;
        m_runStyle.clear();
    }

    // -- words ---------------------------------------------------------------------------
    //
    // A browser pays for every element of a drawing, and a <use> costs it more than a path (it
    // copies what it refers to), so a page of 3,000 glyph uses takes it longer to show than a
    // JPEG of the page. Words that recur on a page are therefore written once as a path of
    // their glyphs (each outline relative but for its first point, which gzip packs well) and
    // placed by one <use> each. That costs bytes: the words that save the most elements for
    // the bytes they add are chosen until the page has grown by kWordBudget; the others keep
    // their glyph uses.

    static constexpr double kWordBudget = 0.3; // of the page's bytes with glyph uses only
    static constexpr int kLongestWord = 40;

    void addToWord(int sized, double x, double y, int decimals, double fontSize)
    {
        if (!m_word.glyphs.empty()) {
            const Placed& last = m_word.glyphs.back();
            // Letters of a word touch or nearly (kerning, side bearings); a word space is about
            // a quarter of the font size.
            const double gap = x - (last.x + m_sized[last.glyph].bounds.x1);
            if (y != last.y || x < last.x || gap > 0.12 * fontSize || decimals != m_word.decimals ||
                int(m_word.glyphs.size()) >= kLongestWord)
                endWord();
        }
        m_word.decimals = decimals;
        m_word.glyphs.push_back({sized, x, y});
    }

    void endWord()
    {
        if (m_word.glyphs.empty())
            return;
        if (!m_wordMarkers) { // the input's own text would be taken for markers
            writeGlyphUses(m_body, m_word);
        } else {
            Word& word = m_word;
            const double unit = svgGridUnit(word.decimals);
            const double x0 = word.glyphs.front().x;
            for (const Placed& p : word.glyphs)
                word.key += QByteArray::number(p.glyph) + ':' + QByteArray::number(std::llround((p.x - x0) * unit)) + ' ';
            word.key += QByteArray::number(word.decimals);
            ++m_shapes[word.key].uses;
            m_body += '\x01' + QByteArray::number(qsizetype(m_words.size())) + '\x02';
            m_words.push_back(std::move(word));
        }
        m_word = Word();
    }

    // The word's glyphs, one use each; `withDefs`: their outlines go into the defs as needed.
    void writeGlyphUses(QByteArray& out, const Word& word, bool withDefs = true)
    {
        for (const Placed& p : word.glyphs) {
            SizedGlyph& g = m_sized[p.glyph];
            if (withDefs && !g.written) {
                m_glyphDefs += "<path id=\"" + g.id + "\" d=\"" + g.d + "\"/>";
                g.written = true;
            }
            writeUse(out, g.id, p.x, p.y, word.decimals);
        }
    }

    static void writeUse(QByteArray& out, const QByteArray& id, double x, double y, int decimals)
    {
        out += "<use href=\"#" + id + "\" x=\"";
        appendSvgNumber(out, x, decimals);
        out += "\" y=\"";
        appendSvgNumber(out, y, decimals);
        out += "\"/>";
    }

    QByteArray shapePath(const Word& word) const
    {
        QByteArray d;
        const double x0 = word.glyphs.front().x;
        for (const Placed& p : word.glyphs) {
            const SizedGlyph& g = m_sized[p.glyph];
            // Offsets and first points are on the grid of the word's places: their sum is too.
            const double unit = svgGridUnit(word.decimals);
            const long long dx = std::llround((p.x - x0) * unit);
            PathWriter move(d);
            move.command('M');
            move.number(double(dx + std::llround(g.firstX * unit)) / unit, word.decimals);
            move.number(g.firstY, word.decimals);
            d += g.relativeD;
        }
        return d;
    }

    // The body with each word written as its shape or as its glyphs.
    QByteArray placeWords()
    {
        chooseShapes();
        QByteArray out;
        out.reserve(m_body.size() + m_words.size() * 40);
        qsizetype pos = 0;
        while (pos < m_body.size()) {
            const qsizetype mark = m_body.indexOf('\x01', pos);
            if (mark < 0) {
                out.append(m_body.constData() + pos, m_body.size() - pos);
                break;
            }
            out.append(m_body.constData() + pos, mark - pos);
            const qsizetype close = m_body.indexOf('\x02', mark);
            const Word& word = m_words[std::size_t(m_body.mid(mark + 1, close - mark - 1).toLongLong())];
            const Shape& shape = m_shapes[word.key];
            if (shape.id.isEmpty())
                writeGlyphUses(out, word);
            else
                writeUse(out, shape.id, word.glyphs.front().x, word.glyphs.front().y, word.decimals);
            pos = close + 1;
        }
        return out;
    }

    void chooseShapes()
    {
        struct Candidate {
            const Word* word;
            int saved;     // elements
            qsizetype added; // bytes
        };
        std::vector<Candidate> candidates;
        QSet<QByteArray> seen;
        for (const Word& word : m_words) {
            const Shape& shape = m_shapes[word.key];
            const int k = int(word.glyphs.size());
            if (k < 2 || shape.uses < 2 || seen.contains(word.key))
                continue;
            seen.insert(word.key);
            QByteArray glyphUses, shapeUse;
            writeGlyphUses(glyphUses, word, false);
            writeUse(shapeUse, "gzz", word.glyphs.front().x, word.glyphs.front().y, word.decimals);
            const qsizetype def = shapePath(word).size() + 20;
            candidates.push_back({&word, shape.uses * (k - 1) - 1,
                                  def + shape.uses * (shapeUse.size() - glyphUses.size())});
        }
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            // Most elements saved for a byte first (a shape smaller than its uses before all).
            return double(a.saved) * double(std::max<qsizetype>(b.added, 1)) >
                   double(b.saved) * double(std::max<qsizetype>(a.added, 1));
        });
        const double budget = kWordBudget * double(m_head.size() + m_body.size() + m_otherDefs.size() +
                                                   m_words.size() * 40);
        double spent = 0;
        for (const Candidate& c : candidates) {
            if (c.added > 0 && spent + double(c.added) > budget)
                continue;
            spent += double(std::max<qsizetype>(c.added, 0));
            Shape& shape = m_shapes[c.word->key];
            shape.id = newId();
            m_glyphDefs += "<path id=\"" + shape.id + "\" d=\"" + shapePath(*c.word) + "\"/>";
        }
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

    // The index of the glyph's outline at this size, or -1 when its path cannot be scaled.
    int scaledGlyph(const QByteArray& glyphId, const Glyph& glyph, double sx, double sy, int decimals)
    {
        const auto key = std::make_tuple(glyphId, sx, sy, decimals);
        const auto found = m_scaled.find(key);
        if (found != m_scaled.end())
            return found->second;
        SizedGlyph sized;
        int index = -1;
        if (writePath(sized.d, glyph.d, sx, sy, decimals) &&
            writeRelativePath(sized.relativeD, glyph.d, sx, sy, decimals, sized.firstX, sized.firstY,
                              sized.bounds)) {
            sized.id = newId();
            index = int(m_sized.size());
            m_sized.push_back(std::move(sized));
        }
        m_scaled.emplace(key, index);
        return index;
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
        Matrix own;
        bool ownKnown = true;
        for (Attribute& a : tag.attributes) {
            if (a.name != "transform")
                continue;
            Matrix m;
            if (parseMatrix(a.value, m)) {
                a.value = matrixText(m, decimalsForScale(parentScale));
                ownScale = parentScale * (m.scale() > 0 ? m.scale() : 1.0);
                own = m;
            } else {
                ownKnown = false;
            }
        }
        if (tag.kind == Tag::Kind::Empty && ownKnown && offPage(elementBox(tag), own))
            return;
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
        if (tag.kind == Tag::Kind::Open) {
            static const QByteArray hidden[] = {"clipPath", "mask", "pattern", "symbol", "marker"};
            const Frame parent = frame();
            Frame inside{ownScale, parent.ctm.after(own), parent.known && ownKnown, parent.drawn};
            for (const QByteArray& name : hidden)
                inside.drawn = inside.drawn && tag.name != name;
            m_frames.push_back(inside);
        }
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
    std::map<std::tuple<QByteArray, double, double, int>, int> m_scaled;
    std::vector<SizedGlyph> m_sized;
    Word m_word;                    // the word being set
    std::vector<Word> m_words;      // every word, in the order of the markers in m_body
    QHash<QByteArray, Shape> m_shapes;
    std::vector<Frame> m_frames;
    Box m_page; // the viewBox: what the page shows
    int m_inDefs = 0;
    int m_nextId = 0;
    bool m_inRun = false;
    bool m_wordMarkers = true;
    QByteArray m_runStyle;
};

} // namespace

CompactSvg compactSvg(const QByteArray& svg, const std::function<SvgPicture(const SvgPicture&)>& reencode)
{
    return Compactor(reencode).run(svg);
}

} // namespace leafcraft
