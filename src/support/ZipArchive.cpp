#include "support/ZipArchive.h"

#include "support/ZipDataOps.h"

namespace leafcraft {

void ZipArchive::setComment(const QString& comment)
{
    // The written length follows the text; the stored length is kept in step with it.
    m_cdTrailer.setCommentLength(0);
    m_cdTrailer.setComment(comment);
}

} // namespace leafcraft
