// Byte operations of the zip writer: raw deflate, CRC-32, DOS time stamps and little-endian
// appenders. Texts are written as UTF-8 after canonical precomposition (NFC), unterminated.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace leafcraft {

// Raw deflate (no zlib header or Adler-32): level 9, method 8, window bits -15, memory level 8,
// default strategy. nullopt only when the compressor cannot be initialised. Empty input gives
// the two bytes 03 00.
std::optional<QByteArray> zk_deflate(const QByteArray& data);
// Raw inflate of a stream made as above. nullopt when the stream is damaged, incomplete, or
// would give more than `maxOutput` bytes.
std::optional<QByteArray> zk_inflate(const QByteArray& data, std::uint64_t maxOutput);
// zlib's CRC-32 (initial value 0).
std::uint32_t zk_crc32(const QByteArray& data);
// DOS date word * 65536 + time word of `date` in local time; seconds round down to even.
// Dates outside 1980-01-01 .. 2107-12-31 are clamped to that range.
std::uint32_t zk_dosDate(const QDateTime& date);
// Byte count of `text` after NFC, in UTF-8.
std::uint32_t zk_precomposedUTF8Length(const QString& text);

void zk_appendLittleInt16(QByteArray& out, std::uint16_t value);
void zk_appendLittleInt32(QByteArray& out, std::uint32_t value);
void zk_appendLittleInt64(QByteArray& out, std::uint64_t value);
// Appends nothing for a null text.
void zk_appendPrecomposedUTF8String(QByteArray& out, const QString& text);

} // namespace leafcraft
