#include "import/PageConverter.h"

namespace leafcraft {

PageConverter::PageConverter(QString pdfPath, std::shared_ptr<pdf::Document> pdfDocument, int quality)
    : m_quality(quality), m_pdfPath(std::move(pdfPath)), m_pdfDocument(std::move(pdfDocument))
{
}

QString PageConverter::generateMobilePage(int)
{
    return QString();
}

QString PageConverter::generateThumbPage(int)
{
    return QString();
}

QString PageConverter::generatePage(int)
{
    return QString();
}

} // namespace leafcraft
