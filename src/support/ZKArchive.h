// The base of every ZIP archive: its central directory, one header per entry in the order the
// entries were added, and its end record.
#pragma once

#include "support/ZKCDHeader.h"
#include "support/ZKCDTrailer.h"

#include <QString>
#include <vector>

namespace leafcraft {

class ZKArchive {
public:
    ZKArchive() = default;
    virtual ~ZKArchive() = default;
    ZKArchive(const ZKArchive&) = delete;
    ZKArchive& operator=(const ZKArchive&) = delete;

    const std::vector<ZKCDHeader>& centralDirectory() const { return m_centralDirectory; }
    const ZKCDTrailer& cdTrailer() const { return m_cdTrailer; }

    // The archive comment, kept in the end record ("Archive created with ZipKit" by default).
    QString comment() const { return m_cdTrailer.comment(); }
    void setComment(const QString& comment);

protected:
    std::vector<ZKCDHeader> m_centralDirectory;
    ZKCDTrailer m_cdTrailer;
};

} // namespace leafcraft
