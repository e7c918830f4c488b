// The pieces of SVG syntax the page compactor (SvgCompactor) reads and writes: tags with
// double-quoted attributes, number lists and path data, matrices.
#pragma once

#include <QByteArray>

#include "import/SvgCompactor.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace leafcraft::svg {

struct Attribute {
    QByteArray name;
    QByteArray value;
};

struct Tag {
    enum class Kind { Open, Close, Empty, Other };
    Kind kind = Kind::Other;
    QByteArray name;
    std::vector<Attribute> attributes;
    QByteArray raw; // the tag as written, for closing tags, comments and declarations

    const QByteArray* find(const char* key) const
    {
        for (const Attribute& a : attributes)
            if (a.name == key)
                return &a.value;
        return nullptr;
    }
    void remove(const char* key)
    {
        attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                                        [key](const Attribute& a) { return a.name == key; }),
                         attributes.end());
    }
};

// Reads the tag starting at `pos` (a '<'); returns the position after its '>', or -1 when the
// tag does not end.
qsizetype readTag(const QByteArray& s, qsizetype pos, Tag& tag);

// The tag as it reads, attributes in their order.
void writeTag(QByteArray& out, const Tag& tag);

// The numbers and command letters of a list such as path data or a matrix.
struct NumberList {
    struct Item {
        char command = 0; // a letter, or 0 for a number
        double value = 0;
    };
    std::vector<Item> items;
    bool ok = true;
};

NumberList parseNumbers(const QByteArray& text);

// Writes numbers and letters of path data, separating numbers only where SVG needs it.
class PathWriter {
public:
    explicit PathWriter(QByteArray& out) : m_out(out) {}
    void command(char c)
    {
        m_out += c;
        m_afterNumber = false;
    }
    void number(double v, int decimals)
    {
        QByteArray text;
        appendSvgNumber(text, v, decimals);
        if (m_afterNumber && text[0] != '-' && !(text[0] == '.' && m_lastHadPoint))
            m_out += ' ';
        m_out += text;
        m_afterNumber = true;
        m_lastHadPoint = text.contains('.');
    }

private:
    QByteArray& m_out;
    bool m_afterNumber = false;
    bool m_lastHadPoint = false;
};

// Path data with every coordinate pair scaled by (sx, sy); false for data it cannot scale
// (arcs, or numbers it cannot read).
bool writePath(QByteArray& out, const QByteArray& d, double sx, double sy, int decimals);

// A rectangle by its corners; empty until a point is added.
struct Box {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    bool isEmpty() const { return x0 > x1 || y0 > y1; }
    void add(double x, double y)
    {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
};

// Path data scaled by (sx, sy) with every point after the first written relative to the one
// before, so that a shape placed at different points is written the same but for that first
// point, which is given back in firstX and firstY for the caller to write ("M x y" + out).
// Coordinates are rounded before they are subtracted: the points land where the absolute form
// would put them. bounds: the box of the points (control points too, so it holds the shape).
// False for data it cannot read (arcs, bad numbers, no moveto first).
bool writeRelativePath(QByteArray& out, const QByteArray& d, double sx, double sy, int decimals, double& firstX,
                       double& firstY, Box& bounds);

struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    double scale() const { return std::sqrt(std::fabs(a * d - b * c)); }
    // This matrix applied after `inner` (SVG's "transform" of a child under its parent's).
    Matrix after(const Matrix& inner) const
    {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b, a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
    }
    // The box holding `box` once mapped.
    Box map(const Box& box) const
    {
        Box out;
        if (box.isEmpty())
            return out;
        for (double x : {box.x0, box.x1})
            for (double y : {box.y0, box.y1})
                out.add(a * x + c * y + e, b * x + d * y + f);
        return out;
    }
};

bool parseMatrix(const QByteArray& text, Matrix& m);

// The box of an empty drawn element (path, rect, image) in its own units, with a generous
// allowance for its stroke; an empty box when it is not known.
Box elementBox(const Tag& tag);

// Six significant digits: a matrix's scale and turn.
void appendFactor(QByteArray& out, double v);

QByteArray matrixText(const Matrix& m, int decimals);

QByteArray numbersText(const QByteArray& text, int decimals);

} // namespace leafcraft::svg
