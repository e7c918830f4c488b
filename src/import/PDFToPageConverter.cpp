#include "import/PDFToPageConverter.h"

namespace leafcraft {

PDFToPageConverter::PDFToPageConverter(QString pdfPath, std::shared_ptr<pdf::Document> pdfDocument, int quality)
    : m_quality(quality), m_pdfPath(std::move(pdfPath)), m_pdfDocument(std::move(pdfDocument))
{
}

QString PDFToPageConverter::generateMobilePage(int)
{
    return QString();
}

QString PDFToPageConverter::generateThumbPage(int)
{
    return QString();
}

QString PDFToPageConverter::generatePage(int)
{
    return QString();
}

} // namespace leafcraft
