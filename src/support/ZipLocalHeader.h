// One local file header of a ZIP archive. Numbers are written little-endian; the name as
// NFC UTF-8. Assigning a size re-derives the version needed to extract (20, or 45 when Zip64
// fields are needed); assigning the name or the extra field while its length is 0 sets the length.
#pragma once

#include "support/ZipFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace leafcraft {

class ZipLocalHeader {
public:
    // Values at creation: deflate, version 20, the current time of the platform clock.
    ZipLocalHeader();

    std::uint32_t magicNumber() const { return m_magicNumber; }
    std::uint32_t versionNeededToExtract() const { return m_versionNeededToExtract; }
    void setVersionNeededToExtract(std::uint32_t v) { m_versionNeededToExtract = v; }
    std::uint32_t generalPurposeBitFlag() const { return m_generalPurposeBitFlag; }
    void setGeneralPurposeBitFlag(std::uint32_t v) { m_generalPurposeBitFlag = v; }
    std::uint32_t compressionMethod() const { return m_compressionMethod; }
    void setCompressionMethod(std::uint32_t v) { m_compressionMethod = v; }
    const QDateTime& lastModDate() const { return m_lastModDate; }
    void setLastModDate(const QDateTime& v) { m_lastModDate = v; }
    std::uint32_t crc() const { return m_crc; }
    void setCrc(std::uint32_t v) { m_crc = v; }
    std::uint64_t compressedSize() const { return m_compressedSize; }
    void setCompressedSize(std::uint64_t v);
    std::uint64_t uncompressedSize() const { return m_uncompressedSize; }
    void setUncompressedSize(std::uint64_t v);
    std::uint32_t filenameLength() const { return m_filenameLength; }
    void setFilenameLength(std::uint32_t v) { m_filenameLength = v; }
    std::uint32_t extraFieldLength() const { return m_extraFieldLength; }
    void setExtraFieldLength(std::uint32_t v) { m_extraFieldLength = v; }
    const QString& filename() const { return m_filename; }
    void setFilename(const QString& v);
    const QByteArray& extraField() const { return m_extraField; }
    void setExtraField(const QByteArray& v);

    // Needs Zip64 fields: a size at or above 0xFFFFFFFF.
    bool useZip64Extensions() const;
    // Tag 1, size 16, uncompressed and compressed size; null when no Zip64 fields are needed.
    QByteArray zip64ExtraField() const;
    // The serialised header; replaces the extra field by zip64ExtraField() first.
    QByteArray data();
    // Byte length of the serialised header.
    std::uint64_t length() const;

private:
    void updateVersion();

    std::uint32_t m_magicNumber = ZipLocalHeaderMagicNumber;
    std::uint32_t m_versionNeededToExtract = ZipVersionDefault;
    std::uint32_t m_generalPurposeBitFlag = 0;
    std::uint32_t m_compressionMethod = ZipCompressionDeflate;
    QDateTime m_lastModDate;
    std::uint32_t m_crc = 0;
    std::uint64_t m_compressedSize = 0;
    std::uint64_t m_uncompressedSize = 0;
    std::uint32_t m_filenameLength = 0;
    std::uint32_t m_extraFieldLength = 0;
    QString m_filename;
    QByteArray m_extraField;
};

} // namespace leafcraft
