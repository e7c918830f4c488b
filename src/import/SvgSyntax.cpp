#include "import/SvgSyntax_p.h"

#include "import/SvgCompactor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace leafcraft::svg {

namespace {

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '-' || c == '_' || c == '.';
}

} // namespace

qsizetype readTag(const QByteArray& s, qsizetype pos, Tag& tag)
{
    // The parts are views into `s` (no copies): a tag is used while `s` lives.
    const auto part = [&s](qsizetype from, qsizetype length) { return QByteArray::fromRawData(s.constData() + from, length); };
    tag.kind = Tag::Kind::Other;
    tag.name.clear();
    tag.raw.clear();
    tag.attributes.clear();
    qsizetype i = pos + 1;
    if (i < s.size() && (s[i] == '!' || s[i] == '?')) {
        const qsizetype end = s.indexOf('>', i);
        if (end < 0)
            return -1;
        tag.raw = part(pos, end + 1 - pos);
        return end + 1;
    }
    if (i < s.size() && s[i] == '/') {
        const qsizetype end = s.indexOf('>', i);
        if (end < 0)
            return -1;
        tag.kind = Tag::Kind::Close;
        tag.raw = part(pos, end + 1 - pos);
        tag.name = part(i + 1, end - i - 1).trimmed();
        return end + 1;
    }
    const qsizetype nameStart = i;
    while (i < s.size() && isNameChar(s[i]))
        ++i;
    tag.name = part(nameStart, i - nameStart);
    tag.kind = Tag::Kind::Open;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '>') {
            return i + 1;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '>') {
            tag.kind = Tag::Kind::Empty;
            return i + 2;
        }
        if (!isNameChar(c)) {
            ++i;
            continue;
        }
        const qsizetype keyStart = i;
        while (i < s.size() && isNameChar(s[i]))
            ++i;
        Attribute attribute;
        attribute.name = part(keyStart, i - keyStart);
        while (i < s.size() && s[i] == ' ')
            ++i;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && s[i] == ' ')
                ++i;
            if (i >= s.size())
                return -1;
            const char quote = s[i];
            if (quote != '"' && quote != '\'')
                return -1;
            const qsizetype end = s.indexOf(quote, i + 1);
            if (end < 0)
                return -1;
            attribute.value = part(i + 1, end - i - 1);
            i = end + 1;
        }
        tag.attributes.push_back(std::move(attribute));
    }
    return -1;
}

void writeTag(QByteArray& out, const Tag& tag)
{
    if (tag.kind == Tag::Kind::Close || tag.kind == Tag::Kind::Other) {
        out += tag.raw;
        return;
    }
    out += '<';
    out += tag.name;
    for (const Attribute& a : tag.attributes) {
        out += ' ';
        out += a.name;
        out += "=\"";
        out += a.value;
        out += '"';
    }
    out += tag.kind == Tag::Kind::Empty ? "/>" : ">";
}

NumberList parseNumbers(const QByteArray& text)
{
    NumberList list;
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end) {
        const char c = *p;
        if (c == ' ' || c == ',' || c == '\n' || c == '\t' || c == '\r') {
            ++p;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E') {
            list.items.push_back({c, 0});
            ++p;
            continue;
        }
        char* next = nullptr;
        const double v = std::strtod(p, &next);
        if (next == p || next > end || !std::isfinite(v)) {
            list.ok = false;
            return list;
        }
        list.items.push_back({0, v});
        p = next;
    }
    return list;
}

bool writePath(QByteArray& out, const QByteArray& d, double sx, double sy, int decimals)
{
    const NumberList list = parseNumbers(d);
    if (!list.ok)
        return false;
    PathWriter writer(out);
    char command = 0;
    int argument = 0;
    for (const NumberList::Item& item : list.items) {
        if (item.command) {
            command = item.command;
            if (command == 'A' || command == 'a')
                return false;
            argument = 0;
            writer.command(command);
            continue;
        }
        double scale = sx;
        switch (command) {
        case 'H': case 'h': scale = sx; break;
        case 'V': case 'v': scale = sy; break;
        default: scale = argument % 2 == 0 ? sx : sy; break;
        }
        writer.number(item.value * scale, decimals);
        ++argument;
    }
    return true;
}

bool writeRelativePath(QByteArray& out, const QByteArray& d, double sx, double sy, int decimals, double& firstX,
                       double& firstY, Box& bounds)
{
    const NumberList list = parseNumbers(d);
    if (!list.ok)
        return false;
    const double unit = svgGridUnit(decimals);
    auto grid = [unit](double v) { return std::llround(v * unit); };
    QByteArray written;
    PathWriter writer(written);
    double x = 0, y = 0, startX = 0, startY = 0; // where the input's pen is, unrounded
    long long gx = 0, gy = 0, gStartX = 0, gStartY = 0; // where the output's pen is, on the grid
    Box box;
    bool first = true;
    char command = 0, lastWritten = 0;
    std::vector<double> args;
    auto pairsOf = [](char c) {
        switch (c) {
        case 'C': return 3;
        case 'S': case 'Q': return 2;
        case 'M': case 'L': case 'T': return 1;
        default: return 0;
        }
    };
    // A command's letter, left out where it repeats the one before (as SVG allows; a moveto's
    // repeats would be lines).
    auto letter = [&](char c) {
        if (c != lastWritten || c == 'm') {
            writer.command(c);
            lastWritten = c;
        }
    };
    // Writes one segment of `command` (upper case, its points in `args`).
    auto segment = [&](char upper, bool relative) {
        const int pairs = pairsOf(upper);
        double px[3], py[3];
        if (upper == 'H' || upper == 'V') {
            const double v = args[0] + (relative ? (upper == 'H' ? x : y) : 0);
            (upper == 'H' ? x : y) = v;
            const long long g = grid(upper == 'H' ? v * sx : v * sy);
            box.add(upper == 'H' ? v * sx : x * sx, upper == 'V' ? v * sy : y * sy);
            letter(char(upper + 32));
            writer.number(double(g - (upper == 'H' ? gx : gy)) / unit, decimals);
            (upper == 'H' ? gx : gy) = g;
            return;
        }
        for (int i = 0; i < pairs; ++i) {
            px[i] = args[2 * i] + (relative ? x : 0);
            py[i] = args[2 * i + 1] + (relative ? y : 0);
            box.add(px[i] * sx, py[i] * sy);
        }
        if (upper == 'M' && first) {
            gx = grid(px[0] * sx);
            gy = grid(py[0] * sy);
            firstX = double(gx) / unit;
            firstY = double(gy) / unit;
            first = false;
        } else {
            letter(char(upper + 32));
            for (int i = 0; i < pairs; ++i) {
                writer.number(double(grid(px[i] * sx) - gx) / unit, decimals);
                writer.number(double(grid(py[i] * sy) - gy) / unit, decimals);
            }
            gx = grid(px[pairs - 1] * sx);
            gy = grid(py[pairs - 1] * sy);
        }
        x = px[pairs - 1];
        y = py[pairs - 1];
        if (upper == 'M') {
            startX = x, startY = y;
            gStartX = gx, gStartY = gy;
        }
    };
    for (std::size_t i = 0; i <= list.items.size(); ++i) {
        const bool end = i == list.items.size();
        if (end || list.items[i].command) {
            if (command && !args.empty())
                return false; // numbers left over
            if (end)
                break;
            command = list.items[i].command;
            const char upper = char(std::toupper(static_cast<unsigned char>(command)));
            if (upper == 'Z') {
                letter('z');
                x = startX, y = startY;
                gx = gStartX, gy = gStartY;
                command = 0;
            } else if (!std::strchr("MLHVCSQT", upper)) {
                return false;
            }
            continue;
        }
        if (!command)
            return false;
        args.push_back(list.items[i].value);
        const char upper = char(std::toupper(static_cast<unsigned char>(command)));
        const std::size_t need = (upper == 'H' || upper == 'V') ? 1 : std::size_t(2 * pairsOf(upper));
        if (args.size() < need)
            continue;
        segment(upper, command != upper);
        args.clear();
        if (upper == 'M') // further pairs after a moveto draw lines
            command = command == 'M' ? 'L' : 'l';
    }
    if (first)
        return false; // no moveto to start from
    out += written;
    bounds = box;
    return true;
}

bool parseMatrix(const QByteArray& text, Matrix& m)
{
    // "matrix(a,b,c,d,e,f)", commas or blanks between the numbers.
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end && *p == ' ')
        ++p;
    if (end - p < 8 || std::strncmp(p, "matrix(", 7) != 0)
        return false;
    p += 7;
    double v[6];
    for (double& x : v) {
        while (p < end && (*p == ' ' || *p == ','))
            ++p;
        char* next = nullptr;
        x = std::strtod(p, &next);
        if (next == p || next > end || !std::isfinite(x))
            return false;
        p = next;
    }
    while (p < end && *p == ' ')
        ++p;
    if (p >= end || *p != ')')
        return false;
    m = {v[0], v[1], v[2], v[3], v[4], v[5]};
    return true;
}

void appendFactor(QByteArray& out, double v)
{
    const double magnitude = std::fabs(v);
    const int decimals = magnitude > 0 ? std::clamp(5 - int(std::floor(std::log10(magnitude))), 0, 9) : 0;
    appendSvgNumber(out, v, decimals);
}

QByteArray matrixText(const Matrix& m, int decimals)
{
    QByteArray out;
    if (m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1) {
        out += "translate(";
        appendSvgNumber(out, m.e, decimals);
        out += ' ';
        appendSvgNumber(out, m.f, decimals);
        out += ')';
        return out;
    }
    out += "matrix(";
    for (double v : {m.a, m.b, m.c, m.d}) {
        appendFactor(out, v);
        out += ' ';
    }
    appendSvgNumber(out, m.e, decimals);
    out += ' ';
    appendSvgNumber(out, m.f, decimals);
    out += ')';
    return out;
}

QByteArray numbersText(const QByteArray& text, int decimals)
{
    const NumberList list = parseNumbers(text);
    if (!list.ok)
        return text;
    QByteArray out;
    for (const NumberList::Item& item : list.items) {
        if (!out.isEmpty())
            out += ' ';
        if (item.command)
            out += item.command; // "12pt": keep the unit
        else
            appendSvgNumber(out, item.value, decimals);
    }
    return out;
}

// The box of an empty drawn element in its own units, or an empty box when not known.
Box elementBox(const Tag& tag)
{
    Box box;
    auto number = [&tag](const char* name, double fallback) {
        const QByteArray* v = tag.find(name);
        bool ok = false;
        const double n = v ? v->trimmed().toDouble(&ok) : fallback;
        return v && !ok ? NAN : n;
    };
    if (tag.name == "path") {
        const QByteArray* d = tag.find("d");
        QByteArray scratch;
        double firstX = 0, firstY = 0;
        if (!d || !writeRelativePath(scratch, *d, 1, 1, 2, firstX, firstY, box))
            return Box();
    } else if (tag.name == "rect" || tag.name == "image") {
        const double x = number("x", 0), y = number("y", 0), w = number("width", NAN), h = number("height", NAN);
        if (!std::isfinite(x + y + w + h))
            return Box();
        box.add(x, y);
        box.add(x + w, y + h);
    } else {
        return Box();
    }
    const QByteArray* stroke = tag.find("stroke");
    if (stroke && *stroke != "none") {
        const double width = number("stroke-width", 1);
        if (!std::isfinite(width))
            return Box();
        // Joins reach out at most miter-limit (4) half widths.
        const double reach = 2 * std::fabs(width);
        box.x0 -= reach, box.y0 -= reach, box.x1 += reach, box.y1 += reach;
    }
    return box;
}

} // namespace leafcraft::svg

namespace leafcraft {

double svgGridUnit(int decimals)
{
    static constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    return powers[std::clamp(decimals, 0, 9)];
}

void appendSvgNumber(QByteArray& out, double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 9);
    const double factor = svgGridUnit(decimals);
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

} // namespace leafcraft
