#include "support/ZipLocalHeader.h"

#include "platform/Platform.h"
#include "support/ZipDataOps.h"

namespace leafcraft {

ZipLocalHeader::ZipLocalHeader() : m_lastModDate(Platform::current().clock().now()) {}

void ZipLocalHeader::setCompressedSize(std::uint64_t v)
{
    m_compressedSize = v;
    updateVersion();
}

void ZipLocalHeader::setUncompressedSize(std::uint64_t v)
{
    m_uncompressedSize = v;
    updateVersion();
}

void ZipLocalHeader::setFilename(const QString& v)
{
    m_filename = v;
    if (m_filenameLength == 0)
        m_filenameLength = zk_precomposedUTF8Length(v);
}

void ZipLocalHeader::setExtraField(const QByteArray& v)
{
    m_extraField = v;
    if (m_extraFieldLength == 0)
        m_extraFieldLength = std::uint32_t(v.size());
}

void ZipLocalHeader::updateVersion()
{
    m_versionNeededToExtract = useZip64Extensions() ? ZipVersionZip64 : ZipVersionDefault;
}

bool ZipLocalHeader::useZip64Extensions() const
{
    return m_uncompressedSize >= Zip64Threshold || m_compressedSize >= Zip64Threshold;
}

QByteArray ZipLocalHeader::zip64ExtraField() const
{
    if (!useZip64Extensions())
        return QByteArray();
    QByteArray out;
    zk_appendLittleInt16(out, 0x0001);
    zk_appendLittleInt16(out, 16);
    zk_appendLittleInt64(out, m_uncompressedSize);
    zk_appendLittleInt64(out, m_compressedSize);
    return out;
}

QByteArray ZipLocalHeader::data()
{
    setExtraField(zip64ExtraField());
    const bool zip64 = useZip64Extensions();
    QByteArray out;
    out.reserve(qsizetype(length()));
    zk_appendLittleInt32(out, m_magicNumber);
    zk_appendLittleInt16(out, std::uint16_t(m_versionNeededToExtract));
    zk_appendLittleInt16(out, std::uint16_t(m_generalPurposeBitFlag));
    zk_appendLittleInt16(out, std::uint16_t(m_compressionMethod));
    // The DOS value is date * 65536 + time: little-endian, the time word comes first.
    zk_appendLittleInt32(out, zk_dosDate(m_lastModDate));
    zk_appendLittleInt32(out, m_crc);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_compressedSize));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_uncompressedSize));
    zk_appendLittleInt16(out, std::uint16_t(m_filenameLength));
    zk_appendLittleInt16(out, std::uint16_t(m_extraField.size()));
    zk_appendPrecomposedUTF8String(out, m_filename);
    out.append(m_extraField);
    return out;
}

std::uint64_t ZipLocalHeader::length() const
{
    const std::uint64_t extra = useZip64Extensions() ? 20 : std::uint64_t(m_extraField.size());
    return ZipLocalHeaderFixedDataLength + zk_precomposedUTF8Length(m_filename) + extra;
}

} // namespace leafcraft
