#include "support/ZipCentralHeader.h"

#include "platform/Platform.h"
#include "support/ZipDataOps.h"

namespace leafcraft {

ZipCentralHeader::ZipCentralHeader() : m_lastModDate(Platform::current().clock().now()) {}

void ZipCentralHeader::setCompressedSize(std::uint64_t v)
{
    m_compressedSize = v;
    updateVersion();
}

void ZipCentralHeader::setUncompressedSize(std::uint64_t v)
{
    m_uncompressedSize = v;
    updateVersion();
}

void ZipCentralHeader::setLocalHeaderOffset(std::uint64_t v)
{
    m_localHeaderOffset = v;
    updateVersion();
}

void ZipCentralHeader::setFilename(const QString& v)
{
    m_filename = v;
    if (m_filenameLength == 0)
        m_filenameLength = zk_precomposedUTF8Length(v);
}

void ZipCentralHeader::setExtraField(const QByteArray& v)
{
    m_extraField = v;
    if (m_extraFieldLength == 0)
        m_extraFieldLength = std::uint32_t(v.size());
}

void ZipCentralHeader::setComment(const QString& v)
{
    m_comment = v;
    if (m_commentLength == 0)
        m_commentLength = zk_precomposedUTF8Length(v);
}

void ZipCentralHeader::updateVersion()
{
    m_versionNeededToExtract = useZip64Extensions() ? ZipVersionZip64 : ZipVersionDefault;
}

bool ZipCentralHeader::useZip64Extensions() const
{
    return m_uncompressedSize >= Zip64Threshold || m_compressedSize >= Zip64Threshold
           || m_localHeaderOffset >= Zip64Threshold;
}

QByteArray ZipCentralHeader::zip64ExtraField() const
{
    if (!useZip64Extensions())
        return QByteArray();
    QByteArray out;
    zk_appendLittleInt16(out, 0x0001);
    zk_appendLittleInt16(out, 24);
    zk_appendLittleInt64(out, m_uncompressedSize);
    zk_appendLittleInt64(out, m_compressedSize);
    zk_appendLittleInt64(out, m_localHeaderOffset);
    return out;
}

QByteArray ZipCentralHeader::data()
{
    if (m_cachedData.size() >= qsizetype(ZipCentralHeaderFixedDataLength))
        return m_cachedData;
    setExtraField(zip64ExtraField());
    const bool zip64 = useZip64Extensions();
    QByteArray out;
    out.reserve(qsizetype(length()));
    zk_appendLittleInt32(out, m_magicNumber);
    zk_appendLittleInt16(out, std::uint16_t(m_versionMadeBy));
    zk_appendLittleInt16(out, std::uint16_t(m_versionNeededToExtract));
    zk_appendLittleInt16(out, std::uint16_t(m_generalPurposeBitFlag));
    zk_appendLittleInt16(out, std::uint16_t(m_compressionMethod));
    zk_appendLittleInt32(out, zk_dosDate(m_lastModDate));
    zk_appendLittleInt32(out, m_crc);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_compressedSize));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_uncompressedSize));
    zk_appendLittleInt16(out, std::uint16_t(zk_precomposedUTF8Length(m_filename)));
    zk_appendLittleInt16(out, std::uint16_t(m_extraField.size()));
    zk_appendLittleInt16(out, std::uint16_t(zk_precomposedUTF8Length(m_comment)));
    zk_appendLittleInt16(out, std::uint16_t(m_diskNumberStart));
    zk_appendLittleInt16(out, std::uint16_t(m_internalFileAttributes));
    zk_appendLittleInt32(out, m_externalFileAttributes);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_localHeaderOffset));
    zk_appendPrecomposedUTF8String(out, m_filename);
    out.append(m_extraField);
    zk_appendPrecomposedUTF8String(out, m_comment);
    m_cachedData = out;
    return out;
}

std::uint64_t ZipCentralHeader::length() const
{
    const std::uint64_t extra = useZip64Extensions() ? 28 : std::uint64_t(m_extraField.size());
    return ZipCentralHeaderFixedDataLength + zk_precomposedUTF8Length(m_filename) + extra
           + zk_precomposedUTF8Length(m_comment);
}

} // namespace leafcraft
