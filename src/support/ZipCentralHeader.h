// One central directory header of a ZIP archive. Serialised once: the first serialisation is
// kept and returned again, so an archive rewrites the headers of earlier entries byte for byte.
#pragma once

#include "support/ZipFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace leafcraft {

class ZipCentralHeader {
public:
    // Values at creation: made by UNIX 2.1, version 20, deflate, the current time.
    ZipCentralHeader();

    std::uint32_t magicNumber() const { return m_magicNumber; }
    std::uint32_t versionMadeBy() const { return m_versionMadeBy; }
    void setVersionMadeBy(std::uint32_t v) { m_versionMadeBy = v; }
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
    std::uint32_t commentLength() const { return m_commentLength; }
    void setCommentLength(std::uint32_t v) { m_commentLength = v; }
    std::uint32_t diskNumberStart() const { return m_diskNumberStart; }
    void setDiskNumberStart(std::uint32_t v) { m_diskNumberStart = v; }
    std::uint32_t internalFileAttributes() const { return m_internalFileAttributes; }
    void setInternalFileAttributes(std::uint32_t v) { m_internalFileAttributes = v; }
    std::uint32_t externalFileAttributes() const { return m_externalFileAttributes; }
    void setExternalFileAttributes(std::uint32_t v) { m_externalFileAttributes = v; }
    std::uint64_t localHeaderOffset() const { return m_localHeaderOffset; }
    void setLocalHeaderOffset(std::uint64_t v);
    const QString& filename() const { return m_filename; }
    void setFilename(const QString& v);
    const QByteArray& extraField() const { return m_extraField; }
    void setExtraField(const QByteArray& v);
    const QString& comment() const { return m_comment; }
    void setComment(const QString& v);
    const QByteArray& cachedData() const { return m_cachedData; }

    // Needs Zip64 fields: a size or the local header offset at or above 0xFFFFFFFF.
    bool useZip64Extensions() const;
    // Tag 1, size 24, uncompressed size, compressed size, local header offset; null when
    // no Zip64 fields are needed.
    QByteArray zip64ExtraField() const;
    // The serialised header (kept from the first call on).
    QByteArray data();
    // Byte length of the serialised header: 46 + name + extra field + comment.
    std::uint64_t length() const;

private:
    void updateVersion();

    std::uint32_t m_magicNumber = ZipCentralHeaderMagicNumber;
    std::uint32_t m_versionMadeBy = ZipVersionMadeBy;
    std::uint32_t m_versionNeededToExtract = ZipVersionDefault;
    std::uint32_t m_generalPurposeBitFlag = 0;
    std::uint32_t m_compressionMethod = ZipCompressionDeflate;
    QDateTime m_lastModDate;
    std::uint32_t m_crc = 0;
    std::uint64_t m_compressedSize = 0;
    std::uint64_t m_uncompressedSize = 0;
    std::uint32_t m_filenameLength = 0;
    std::uint32_t m_extraFieldLength = 0;
    std::uint32_t m_commentLength = 0;
    std::uint32_t m_diskNumberStart = 0;
    std::uint32_t m_internalFileAttributes = 0;
    std::uint32_t m_externalFileAttributes = 0;
    std::uint64_t m_localHeaderOffset = 0;
    QString m_filename;
    QByteArray m_extraField;
    QString m_comment;
    QByteArray m_cachedData;
};

} // namespace leafcraft
