#include "import/PDFToPageConverter.h"

namespace leafcraft {

PDFToPageConverter::PDFToPageConverter(QString PDFPath, std::shared_ptr<pdf::Document> PDFDoc, int quality)
    : m_quality(quality), m_PDFPath(std::move(PDFPath)), m_PDFDoc(std::move(PDFDoc))
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
