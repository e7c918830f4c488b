// A ZIP archive built entirely in memory. After every successful add, data() is a complete
// archive: the local headers and deflated entries, the central directory, the end record.
#pragma once

#include "support/ZipArchive.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace leafcraft {

// Optional file attributes of an entry.
struct ZipFileAttributes {
    enum class Type { Regular, Directory, SymbolicLink };
    std::optional<QDateTime> modificationDate;
    std::uint32_t posixPermissions = 0; // e.g. 0644
    Type type = Type::Regular;
};

class ZipWriter : public ZipArchive {
public:
    ZipWriter() = default;

    // Adds one deflated entry named `filename` (written as NFC UTF-8) holding `data`. Returns 1
    // when added, -1 when not: an absent or empty name, a compressor that cannot start, or an
    // entry that would take the archive beyond what the format records without Zip64 end
    // records (65535 entries, a 65535-byte name, 4 GiB). A refused add changes nothing.
    int deflateData(const QByteArray& data, const QString& filename,
                    const std::optional<ZipFileAttributes>& attributes = std::nullopt);

    // The archive bytes; empty before the first add.
    const QByteArray& data() const { return m_data; }

private:
    QByteArray m_data;
};

} // namespace leafcraft
