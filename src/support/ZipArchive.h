// The base of every ZIP archive: its central directory, one header per entry in the order the
// entries were added, and its end record.
#pragma once

#include "support/ZipCentralHeader.h"
#include "support/ZipEndRecord.h"

#include <QString>
#include <vector>

namespace leafcraft {

class ZipArchive {
public:
    ZipArchive() = default;
    virtual ~ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::vector<ZipCentralHeader>& centralDirectory() const { return m_centralDirectory; }
    const ZipEndRecord& cdTrailer() const { return m_cdTrailer; }

    // The archive comment, kept in the end record ("Archive created with ZipKit" by default).
    QString comment() const { return m_cdTrailer.comment(); }
    void setComment(const QString& comment);

protected:
    std::vector<ZipCentralHeader> m_centralDirectory;
    ZipEndRecord m_cdTrailer;
};

} // namespace leafcraft
