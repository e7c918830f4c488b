#include "import/SwfFile.h"

#include "support/SaveFile.h"
#include "support/Error.h"

#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>

namespace leafcraft {

namespace {

enum Tag : int {
    TagEnd = 0,
    TagShowFrame = 1,
    TagDefineShape = 2,
    TagSetBackgroundColor = 9,
    TagDefineBitsJPEG2 = 21,
    TagPlaceObject2 = 26,
    TagDefineBitsJPEG3 = 35,
};

constexpr int kTwipsPerPixel = 20;
constexpr quint16 kBitmapId = 1;
constexpr quint16 kShapeId = 2;

// Writes SWF bit fields: most significant bit first, padded to whole bytes by `align`.
class BitWriter {
public:
    void bits(quint32 value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = quint8((m_byte << 1) | ((value >> i) & 1u));
            if (++m_used == 8)
                flush();
        }
    }
    void align()
    {
        if (m_used > 0) {
            m_byte = quint8(m_byte << (8 - m_used));
            flush();
        }
    }
    QByteArray& bytes()
    {
        align();
        return m_out;
    }

private:
    void flush()
    {
        m_out.append(char(m_byte));
        m_byte = 0;
        m_used = 0;
    }
    QByteArray m_out;
    quint8 m_byte = 0;
    int m_used = 0;
};

// The number of bits a signed field needs to hold every value given.
int signedBits(std::initializer_list<qint64> values)
{
    int bits = 1;
    for (qint64 v : values) {
        int n = 1;
        while (v < -(qint64(1) << (n - 1)) || v >= (qint64(1) << (n - 1)))
            ++n;
        bits = std::max(bits, n);
    }
    return bits;
}

void rect(BitWriter& w, qint32 xMin, qint32 xMax, qint32 yMin, qint32 yMax)
{
    const int n = signedBits({xMin, xMax, yMin, yMax});
    w.bits(quint32(n), 5);
    for (qint32 v : {xMin, xMax, yMin, yMax})
        w.bits(quint32(v), n);
    w.align();
}

void u16(QByteArray& out, quint32 v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void u32(QByteArray& out, quint32 v)
{
    u16(out, v & 0xffff);
    u16(out, v >> 16);
}

void tag(QByteArray& out, int code, const QByteArray& body, bool forceLong = false)
{
    if (body.size() < 0x3f && !forceLong) {
        u16(out, quint32(code << 6) | quint32(body.size()));
    } else {
        u16(out, quint32(code << 6) | 0x3fu);
        u32(out, quint32(body.size()));
    }
    out.append(body);
}

// A straight edge of the shape, horizontal or vertical.
void edge(BitWriter& w, qint32 dx, qint32 dy)
{
    const int n = std::max(2, signedBits({dx, dy}));
    w.bits(1, 1); // edge record
    w.bits(1, 1); // straight
    w.bits(quint32(n - 2), 4);
    w.bits(0, 1); // not a general line
    if (dy == 0) {
        w.bits(0, 1); // horizontal
        w.bits(quint32(dx), n);
    } else {
        w.bits(1, 1); // vertical
        w.bits(quint32(dy), n);
    }
}

QByteArray defineShape(qint32 width, qint32 height)
{
    QByteArray body;
    u16(body, kShapeId);
    {
        BitWriter bounds;
        rect(bounds, 0, width, 0, height);
        body.append(bounds.bytes());
    }
    // One fill style: the picture, clipped, scaled from pixels to twips.
    body.append(char(1));
    body.append(char(0x41));
    u16(body, kBitmapId);
    {
        BitWriter matrix;
        const quint32 scale = quint32(kTwipsPerPixel) << 16; // 16.16 fixed point
        const int n = signedBits({qint64(scale)});
        matrix.bits(1, 1); // has scale
        matrix.bits(quint32(n), 5);
        matrix.bits(scale, n);
        matrix.bits(scale, n);
        matrix.bits(0, 1); // no rotation
        matrix.bits(0, 5); // no translation
        body.append(matrix.bytes());
    }
    body.append(char(0)); // no line styles
    BitWriter shape;
    shape.bits(1, 4); // fill index bits
    shape.bits(0, 4); // line index bits
    // Style change: move to (0, 0) and fill the right-hand side (the page, drawn clockwise).
    shape.bits(0, 1);
    shape.bits(0, 1); // new styles
    shape.bits(0, 1); // line style
    shape.bits(1, 1); // fill style 1
    shape.bits(0, 1); // fill style 0
    shape.bits(1, 1); // move to
    shape.bits(1, 5);
    shape.bits(0, 1);
    shape.bits(0, 1);
    shape.bits(1, 1); // fill style 1 = the picture
    edge(shape, width, 0);
    edge(shape, 0, height);
    edge(shape, -width, 0);
    edge(shape, 0, -height);
    shape.bits(0, 6); // end of shape
    body.append(shape.bytes());
    return body;
}

// Reads SWF bit fields.
class BitReader {
public:
    BitReader(const QByteArray& data, qsizetype pos) : m_data(data), m_pos(pos) {}
    bool ok() const { return m_ok; }
    quint32 bits(int count)
    {
        quint32 v = 0;
        for (int i = 0; i < count; ++i) {
            if (m_pos >= m_data.size()) {
                m_ok = false;
                return 0;
            }
            const int bit = (quint8(m_data[m_pos]) >> (7 - m_bit)) & 1;
            v = (v << 1) | quint32(bit);
            if (++m_bit == 8) {
                m_bit = 0;
                ++m_pos;
            }
        }
        return v;
    }
    qint32 signedBits(int count)
    {
        const quint32 v = bits(count);
        if (count == 0)
            return 0;
        if (count < 32 && (v & (1u << (count - 1))))
            return qint32(v | ~((1u << count) - 1));
        return qint32(v);
    }
    qsizetype alignedPos() const { return m_bit ? m_pos + 1 : m_pos; }

private:
    const QByteArray& m_data;
    qsizetype m_pos;
    int m_bit = 0;
    bool m_ok = true;
};

quint32 readU16(const QByteArray& d, qsizetype pos)
{
    return quint32(quint8(d[pos])) | (quint32(quint8(d[pos + 1])) << 8);
}

quint32 readU32(const QByteArray& d, qsizetype pos)
{
    return readU16(d, pos) | (readU16(d, pos + 2) << 16);
}

Error bad(const QString& where, const QString& what)
{
    return Error(ErrorKind::BadInput, what, where);
}

// The whole movie uncompressed (header included, marked 'F'), checked against the
// declared length.
QByteArray plainMovie(const QByteArray& data, const QString& where)
{
    if (data.size() < 8 || !(data.startsWith("FWS") || data.startsWith("CWS") || data.startsWith("ZWS")))
        throw bad(where, QStringLiteral("the file is not a SWF movie"));
    if (data[0] == 'Z')
        throw bad(where, QStringLiteral("LZMA-compressed SWF movies are not supported"));
    const quint32 declared = readU32(data, 4);
    if (declared < 8 + 1 + 4 || declared > (1u << 30))
        throw bad(where, QStringLiteral("the SWF movie declares an impossible length (%1 bytes)").arg(declared));
    if (data[0] == 'F') {
        if (quint32(data.size()) < declared)
            throw bad(where, QStringLiteral("the SWF movie is truncated (%1 of %2 bytes)").arg(data.size()).arg(declared));
        return data.left(declared);
    }
    // zlib cannot expand data more than about 1032 times: a larger declared length is a lie
    // that must not make us allocate it.
    if (qint64(declared) > qint64(data.size()) * 1100 + 1024)
        throw bad(where, QStringLiteral("the compressed SWF movie is truncated or damaged (it declares %1 bytes)").arg(declared));
    QByteArray out(qsizetype(declared), Qt::Uninitialized);
    std::memcpy(out.data(), data.constData(), 8);
    out[0] = 'F';
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw Error(ErrorKind::Internal, QStringLiteral("zlib cannot start"));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData() + 8));
    z.avail_in = uInt(data.size() - 8);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + 8);
    z.avail_out = uInt(declared - 8);
    const int rc = inflate(&z, Z_FINISH);
    const uLong produced = z.total_out;
    inflateEnd(&z);
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR)
        throw bad(where, QStringLiteral("the compressed SWF movie is damaged"));
    if (produced + 8 < declared)
        throw bad(where, QStringLiteral("the SWF movie is truncated (%1 of %2 bytes)").arg(produced + 8).arg(declared));
    return out;
}

struct ParsedHeader {
    SwfFile::Header header;
    qsizetype tagsStart = 0;
};

ParsedHeader parseHeader(const QByteArray& movie, char compression, const QString& where)
{
    ParsedHeader p;
    p.header.compression = compression;
    p.header.version = quint8(movie[3]);
    p.header.fileLength = readU32(movie, 4);
    BitReader r(movie, 8);
    const int n = int(r.bits(5));
    p.header.xMin = r.signedBits(n);
    p.header.xMax = r.signedBits(n);
    p.header.yMin = r.signedBits(n);
    p.header.yMax = r.signedBits(n);
    const qsizetype pos = r.alignedPos();
    if (!r.ok() || pos + 4 > movie.size())
        throw bad(where, QStringLiteral("the SWF movie is truncated (no complete header)"));
    p.header.frameRate = readU16(movie, pos) / 256.0;
    p.header.frameCount = int(readU16(movie, pos + 2));
    p.tagsStart = pos + 4;
    return p;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile())
        throw bad(path, QStringLiteral("the file does not exist"));
    if (!f.open(QIODevice::ReadOnly))
        throw bad(path, QStringLiteral("the file cannot be read"));
    return f.readAll();
}

} // namespace

QByteArray SwfFile::build(const QByteArray& jpeg, int width, int height, int version, double frameRate)
{
    if (jpeg.isEmpty() || width < 1 || height < 1)
        throw Error(ErrorKind::Usage, QStringLiteral("a SWF page needs a picture and a size"));
    const qint32 w = width * kTwipsPerPixel;
    const qint32 h = height * kTwipsPerPixel;

    QByteArray body;
    {
        BitWriter frame;
        rect(frame, 0, w, 0, h);
        body.append(frame.bytes());
    }
    u16(body, quint32(std::lround(frameRate * 256)) & 0xffff);
    u16(body, 1); // one frame

    tag(body, TagSetBackgroundColor, QByteArray("\xff\xff\xff", 3));
    QByteArray bits;
    u16(bits, kBitmapId);
    bits.append(jpeg);
    tag(body, TagDefineBitsJPEG2, bits, true);
    tag(body, TagDefineShape, defineShape(w, h), true);
    QByteArray place;
    place.append(char(0x06)); // has character, has matrix
    u16(place, 1);            // depth
    u16(place, kShapeId);
    place.append(char(0)); // identity matrix
    tag(body, TagPlaceObject2, place);
    tag(body, TagShowFrame, QByteArray());
    tag(body, TagEnd, QByteArray());

    QByteArray movie("FWS");
    movie.append(char(version));
    u32(movie, quint32(8 + body.size()));
    movie.append(body);
    return movie;
}

void SwfFile::write(const QString& path, const QByteArray& jpeg, int width, int height, int version, double frameRate)
{
    saveFile(path, build(jpeg, width, height, version, frameRate), QStringLiteral("the page file"));
}

SwfFile::Header SwfFile::readHeader(const QByteArray& data, const QString& where)
{
    const QByteArray movie = plainMovie(data, where);
    return parseHeader(movie, data[0], where).header;
}

SwfFile::Header SwfFile::readHeader(const QString& path)
{
    return readHeader(readFile(path), path);
}

QByteArray SwfFile::extractJpeg(const QByteArray& data, const QString& where)
{
    const QByteArray movie = plainMovie(data, where);
    qsizetype pos = parseHeader(movie, data[0], where).tagsStart;
    while (pos + 2 <= movie.size()) {
        const quint32 codeAndLength = readU16(movie, pos);
        pos += 2;
        const int code = int(codeAndLength >> 6);
        qint64 length = codeAndLength & 0x3f;
        if (length == 0x3f) {
            if (pos + 4 > movie.size())
                break;
            length = readU32(movie, pos);
            pos += 4;
        }
        if (pos + length > movie.size())
            throw bad(where, QStringLiteral("the SWF movie is truncated inside a tag"));
        if (code == TagEnd)
            break;
        if ((code == TagDefineBitsJPEG2 || code == TagDefineBitsJPEG3) && length > 2) {
            QByteArray picture = movie.mid(pos + 2, length - 2);
            if (code == TagDefineBitsJPEG3) {
                if (picture.size() < 4)
                    throw bad(where, QStringLiteral("the SWF picture tag is damaged"));
                const quint32 jpegLength = readU32(picture, 0);
                picture = picture.mid(4, qsizetype(std::min<qint64>(jpegLength, picture.size() - 4)));
            }
            if (picture.startsWith("\xff\xd9\xff\xd8"))
                picture.remove(0, 4);
            if (!picture.startsWith("\xff\xd8"))
                throw bad(where, QStringLiteral("the SWF picture is not a JPEG"));
            return picture;
        }
        pos += length;
    }
    throw bad(where, QStringLiteral("the SWF movie holds no JPEG picture"));
}

QByteArray SwfFile::extractJpeg(const QString& path)
{
    return extractJpeg(readFile(path), path);
}

} // namespace leafcraft
