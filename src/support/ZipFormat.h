// Record constants of the ZIP format (PKWARE APPNOTE). Lengths are those of the fixed part of
// each record, without name, extra field and comment.
#pragma once

#include <cstdint>

namespace leafcraft {

inline constexpr std::uint32_t ZipLocalHeaderMagicNumber = 0x04034b50;
inline constexpr std::uint32_t ZipLocalHeaderFixedDataLength = 30;
inline constexpr std::uint32_t ZipCentralHeaderMagicNumber = 0x02014b50;
inline constexpr std::uint32_t ZipCentralHeaderFixedDataLength = 46;
inline constexpr std::uint32_t ZipEndRecordMagicNumber = 0x06054b50;
inline constexpr std::uint32_t ZipEndRecordFixedDataLength = 22;
inline constexpr std::uint32_t ZipEndRecord64MagicNumber = 0x06064b50;
inline constexpr std::uint32_t ZipEndRecord64FixedDataLength = 56;
inline constexpr std::uint32_t ZipEndRecord64LocatorMagicNumber = 0x07064b50;
inline constexpr std::uint32_t ZipEndRecord64LocatorFixedDataLength = 20;

// Sizes and offsets at or above this need Zip64 fields.
inline constexpr std::uint64_t Zip64Threshold = 0xFFFFFFFFu;
// Version needed to extract without and with Zip64 fields.
inline constexpr std::uint32_t ZipVersionDefault = 20;
inline constexpr std::uint32_t ZipVersionZip64 = 45;
// Made by UNIX (host 3), format version 2.1.
inline constexpr std::uint32_t ZipVersionMadeBy = 0x0315;
inline constexpr std::uint32_t ZipCompressionDeflate = 8;
inline constexpr std::uint32_t ZipCompressionStored = 0;

} // namespace leafcraft
