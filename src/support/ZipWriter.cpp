#include "support/ZipWriter.h"

#include "support/ZipDataOps.h"
#include "support/ZipLocalHeader.h"

namespace leafcraft {

namespace {

constexpr std::uint32_t kMaxEntries = 0xFFFF;
constexpr std::uint32_t kMaxNameBytes = 0xFFFF;

std::uint32_t typeWord(ZipFileAttributes::Type type)
{
    switch (type) {
    case ZipFileAttributes::Type::SymbolicLink: return 0xA0004000u;
    case ZipFileAttributes::Type::Directory: return 0x40004000u;
    case ZipFileAttributes::Type::Regular: break;
    }
    return 0x80004000u;
}

} // namespace

int ZipWriter::deflateData(const QByteArray& data, const QString& filename,
                               const std::optional<ZipFileAttributes>& attributes)
{
    if (filename.isEmpty())
        return -1;
    const std::optional<QByteArray> compressed = zk_deflate(data);
    if (!compressed)
        return -1;

    const std::uint64_t offset = m_cdTrailer.offsetOfStartOfCentralDirectory();
    const std::uint32_t nameBytes = zk_precomposedUTF8Length(filename);
    if (nameBytes > kMaxNameBytes || m_centralDirectory.size() >= kMaxEntries)
        return -1;

    ZipLocalHeader local;
    local.setUncompressedSize(std::uint64_t(data.size()));
    local.setFilename(filename);
    local.setFilenameLength(nameBytes);
    local.setCrc(zk_crc32(data));
    local.setCompressedSize(std::uint64_t(compressed->size()));

    ZipCentralHeader central;
    central.setUncompressedSize(local.uncompressedSize());
    central.setCrc(local.crc());
    central.setCompressedSize(local.compressedSize());
    central.setFilename(local.filename());
    central.setFilenameLength(local.filenameLength());
    central.setLocalHeaderOffset(offset);
    central.setCompressionMethod(local.compressionMethod());
    central.setGeneralPurposeBitFlag(local.generalPurposeBitFlag());
    central.setVersionNeededToExtract(local.versionNeededToExtract());

    // Without a Zip64 end record, the end record must still hold the directory's size and offset.
    const std::uint64_t newOffset = offset + local.length() + std::uint64_t(compressed->size());
    const std::uint64_t newSize = m_cdTrailer.sizeOfCentralDirectory() + central.length();
    if (newOffset >= Zip64Threshold || newSize >= Zip64Threshold)
        return -1;

    m_data.truncate(qsizetype(offset));

    if (attributes) {
        if (attributes->modificationDate) {
            local.setLastModDate(*attributes->modificationDate);
            central.setLastModDate(local.lastModDate());
        }
        central.setExternalFileAttributes(((attributes->posixPermissions & 0xFFFFu) << 16)
                                          | typeWord(attributes->type));
    }
    m_centralDirectory.push_back(central);
    m_cdTrailer.setNumberOfCentralDirectoryEntriesOnThisDisk(m_cdTrailer.numberOfCentralDirectoryEntriesOnThisDisk()
                                                             + 1);
    m_cdTrailer.setTotalNumberOfCentralDirectoryEntries(m_cdTrailer.totalNumberOfCentralDirectoryEntries() + 1);
    m_cdTrailer.setSizeOfCentralDirectory(newSize);

    m_data.append(local.data());
    m_data.append(*compressed);
    m_cdTrailer.setOffsetOfStartOfCentralDirectory(std::uint64_t(m_data.size()));
    for (ZipCentralHeader& header : m_centralDirectory)
        m_data.append(header.data());
    m_data.append(m_cdTrailer.data());
    return 1;
}

} // namespace leafcraft
