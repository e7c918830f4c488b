#include "support/ZipEndRecord.h"

#include "support/ZipDataOps.h"

namespace leafcraft {

ZipEndRecord::ZipEndRecord()
{
    setComment(QStringLiteral("Archive created with ZipKit"));
}

void ZipEndRecord::setComment(const QString& v)
{
    m_comment = v;
    if (m_commentLength == 0)
        m_commentLength = zk_precomposedUTF8Length(v);
}

bool ZipEndRecord::useZip64Extensions() const
{
    return m_sizeOfCentralDirectory >= Zip64Threshold || m_offsetOfStartOfCentralDirectory >= Zip64Threshold;
}

QByteArray ZipEndRecord::data() const
{
    const bool zip64 = useZip64Extensions();
    QByteArray out;
    out.reserve(qsizetype(length()));
    zk_appendLittleInt32(out, m_magicNumber);
    zk_appendLittleInt16(out, std::uint16_t(m_thisDiskNumber));
    zk_appendLittleInt16(out, std::uint16_t(m_diskNumberWithStartOfCentralDirectory));
    zk_appendLittleInt16(out, std::uint16_t(m_numberOfCentralDirectoryEntriesOnThisDisk & 0xFFFF));
    zk_appendLittleInt16(out, std::uint16_t(m_totalNumberOfCentralDirectoryEntries & 0xFFFF));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_sizeOfCentralDirectory));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFFu : std::uint32_t(m_offsetOfStartOfCentralDirectory));
    zk_appendLittleInt16(out, std::uint16_t(zk_precomposedUTF8Length(m_comment)));
    zk_appendPrecomposedUTF8String(out, m_comment);
    return out;
}

std::uint64_t ZipEndRecord::length() const
{
    return ZipEndRecordFixedDataLength + zk_precomposedUTF8Length(m_comment);
}

} // namespace leafcraft
