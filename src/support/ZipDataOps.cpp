#include "support/ZipDataOps.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace leafcraft {

namespace {

constexpr qsizetype kDeflateChunk = 16384;
constexpr uInt kMaxZlibChunk = std::numeric_limits<uInt>::max();

} // namespace

std::optional<QByteArray> zk_deflate(const QByteArray& data)
{
    z_stream strm{};
    if (deflateInit2(&strm, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    QByteArray out(kDeflateChunk, Qt::Uninitialized);
    qsizetype produced = 0;
    const auto* in = reinterpret_cast<const Bytef*>(data.constData());
    qsizetype consumed = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (produced == out.size())
            out.resize(out.size() + kDeflateChunk);
        // zlib counts in 32-bit units: hand the input over in pieces it can take.
        if (strm.avail_in == 0 && consumed < data.size()) {
            const qsizetype piece = std::min<qsizetype>(data.size() - consumed, kMaxZlibChunk);
            strm.next_in = const_cast<Bytef*>(in + consumed);
            strm.avail_in = uInt(piece);
            consumed += piece;
        }
        const qsizetype room = std::min<qsizetype>(out.size() - produced, kMaxZlibChunk);
        strm.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        strm.avail_out = uInt(room);
        const int flush = consumed < data.size() ? Z_NO_FLUSH : Z_FINISH;
        rc = deflate(&strm, flush);
        produced += room - qsizetype(strm.avail_out);
        if (rc == Z_STREAM_ERROR) {
            deflateEnd(&strm);
            return std::nullopt;
        }
    }
    deflateEnd(&strm);
    out.truncate(produced);
    return out;
}

std::optional<QByteArray> zk_inflate(const QByteArray& data, std::uint64_t maxOutput)
{
    z_stream strm{};
    if (inflateInit2(&strm, -15) != Z_OK)
        return std::nullopt;
    QByteArray out;
    const auto* in = reinterpret_cast<const Bytef*>(data.constData());
    qsizetype consumed = 0;
    int rc = Z_OK;
    char buffer[kDeflateChunk];
    while (rc != Z_STREAM_END) {
        if (strm.avail_in == 0) {
            if (consumed >= data.size())
                break; // the stream ends early
            const qsizetype piece = std::min<qsizetype>(data.size() - consumed, kMaxZlibChunk);
            strm.next_in = const_cast<Bytef*>(in + consumed);
            strm.avail_in = uInt(piece);
            consumed += piece;
        }
        strm.next_out = reinterpret_cast<Bytef*>(buffer);
        strm.avail_out = sizeof buffer;
        rc = inflate(&strm, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        const qsizetype got = qsizetype(sizeof buffer) - qsizetype(strm.avail_out);
        if (std::uint64_t(out.size()) + std::uint64_t(got) > maxOutput) {
            rc = Z_DATA_ERROR;
            break;
        }
        out.append(buffer, got);
    }
    inflateEnd(&strm);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

std::uint32_t zk_crc32(const QByteArray& data)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* p = reinterpret_cast<const Bytef*>(data.constData());
    qsizetype left = data.size();
    while (left > 0) {
        const uInt piece = uInt(std::min<qsizetype>(left, kMaxZlibChunk));
        crc = crc32(crc, p, piece);
        p += piece;
        left -= piece;
    }
    return std::uint32_t(crc);
}

std::uint32_t zk_dosDate(const QDateTime& date)
{
    QDateTime local = date.isValid() ? date.toLocalTime() : QDateTime(QDate(1980, 1, 1), QTime(0, 0));
    const QDateTime earliest(QDate(1980, 1, 1), QTime(0, 0));
    const QDateTime latest(QDate(2107, 12, 31), QTime(23, 59, 58));
    if (local < earliest)
        local = earliest;
    else if (local > latest)
        local = latest;
    const QDate d = local.date();
    const QTime t = local.time();
    const std::uint32_t dateWord = std::uint32_t((d.year() - 1980) * 512 + d.month() * 32 + d.day());
    const std::uint32_t timeWord = std::uint32_t(t.hour() * 2048 + t.minute() * 32 + t.second() / 2);
    return dateWord * 65536u + timeWord;
}

std::uint32_t zk_precomposedUTF8Length(const QString& text)
{
    return std::uint32_t(text.normalized(QString::NormalizationForm_C).toUtf8().size());
}

void zk_appendLittleInt16(QByteArray& out, std::uint16_t value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void zk_appendLittleInt32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

void zk_appendLittleInt64(QByteArray& out, std::uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

void zk_appendPrecomposedUTF8String(QByteArray& out, const QString& text)
{
    if (!text.isNull())
        out.append(text.normalized(QString::NormalizationForm_C).toUtf8());
}

} // namespace leafcraft
