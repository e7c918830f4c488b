// Record constants of the ZIP format (PKWARE APPNOTE). Lengths are those of the fixed part of
// each record, without name, extra field and comment.
#pragma once

#include <cstdint>

namespace leafcraft {

inline constexpr std::uint32_t ZKLFHeaderMagicNumber = 0x04034b50;
inline constexpr std::uint32_t ZKLFHeaderFixedDataLength = 30;
inline constexpr std::uint32_t ZKCDHeaderMagicNumber = 0x02014b50;
inline constexpr std::uint32_t ZKCDHeaderFixedDataLength = 46;
inline constexpr std::uint32_t ZKCDTrailerMagicNumber = 0x06054b50;
inline constexpr std::uint32_t ZKCDTrailerFixedDataLength = 22;
inline constexpr std::uint32_t ZKCDTrailer64MagicNumber = 0x06064b50;
inline constexpr std::uint32_t ZKCDTrailer64FixedDataLength = 56;
inline constexpr std::uint32_t ZKCDTrailer64LocatorMagicNumber = 0x07064b50;
inline constexpr std::uint32_t ZKCDTrailer64LocatorFixedDataLength = 20;

// Sizes and offsets at or above this need Zip64 fields.
inline constexpr std::uint64_t ZKZip64Threshold = 0xFFFFFFFFu;
// Version needed to extract without and with Zip64 fields.
inline constexpr std::uint32_t ZKVersionDefault = 20;
inline constexpr std::uint32_t ZKVersionZip64 = 45;
// Made by UNIX (host 3), format version 2.1.
inline constexpr std::uint32_t ZKVersionMadeBy = 0x0315;
inline constexpr std::uint32_t ZKCompressionDeflate = 8;
inline constexpr std::uint32_t ZKCompressionStored = 0;

} // namespace leafcraft
