// An independent reader of SWF page movies for the tests: decodes the header and the tag
// list by hand, bit by bit, without the product's SwfFile.
#pragma once

#include "fakes/TestFiles.h"
#include <QByteArray>
#include <QString>
#include <vector>

namespace leafcraft::test {

struct SwfTag {
    int code = 0;
    QByteArray body;
};

struct DecodedSwf {
    bool ok = false;
    QByteArray signature;
    int version = 0;
    quint32 declaredLength = 0;
    int nbits = 0;
    qint64 xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int frameRate256 = 0;
    int frameCount = 0;
    std::vector<SwfTag> tags;
};

inline DecodedSwf decodeSwf(const QByteArray& d)
{
    DecodedSwf s;
    if (d.size() < 12)
        return s;
    s.signature = d.left(3);
    s.version = quint8(d[3]);
    s.declaredLength = quint8(d[4]) | quint8(d[5]) << 8 | quint8(d[6]) << 16 | quint32(quint8(d[7])) << 24;
    // RECT: 5 bits of field width, then four signed fields, MSB first.
    qint64 bitPos = 8 * 8;
    auto bit = [&](qint64 p) { return (quint8(d[p / 8]) >> (7 - p % 8)) & 1; };
    auto field = [&](int n) {
        qint64 v = 0;
        for (int i = 0; i < n; ++i)
            v = v * 2 + bit(bitPos++);
        if (n > 0 && (v >> (n - 1)))
            v -= qint64(1) << n;
        return v;
    };
    for (int i = 0; i < 5; ++i)
        s.nbits = s.nbits * 2 + bit(bitPos++);
    s.xmin = field(s.nbits);
    s.xmax = field(s.nbits);
    s.ymin = field(s.nbits);
    s.ymax = field(s.nbits);
    qsizetype p = qsizetype((bitPos + 7) / 8);
    auto u16 = [&](qsizetype at) { return int(quint8(d[at]) | quint8(d[at + 1]) << 8); };
    s.frameRate256 = u16(p);
    s.frameCount = u16(p + 2);
    p += 4;
    while (p + 2 <= d.size()) {
        const int head = u16(p);
        p += 2;
        SwfTag t;
        t.code = head >> 6;
        qint64 len = head & 63;
        if (len == 63) {
            len = quint8(d[p]) | quint8(d[p + 1]) << 8 | quint8(d[p + 2]) << 16 | qint64(quint8(d[p + 3])) << 24;
            p += 4;
        }
        if (p + len > d.size())
            return s;
        t.body = d.mid(p, len);
        p += len;
        s.tags.push_back(t);
        if (t.code == 0) {
            s.ok = p == d.size();
            break;
        }
    }
    return s;
}

inline DecodedSwf decodeSwfFile(const QString& path)
{
    const QByteArray bytes = readFile(path);
    return bytes.isEmpty() ? DecodedSwf{} : decodeSwf(bytes);
}

} // namespace leafcraft::test
