// Links read from real PDF files through the PDF back-end. Fixtures are generated into the
// build folder (scripts/make_pdfs.py, tests/data/make_placed_links.py).
#include "annotations/PdfOutline.h"
#include "annotations/PdfPageLinks.h"

#include "platform/PdfDocument.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

const QString pdfData = QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/");
const QString linkData = QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/linkdata/");

QJsonObject readJson(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(file.readAll()).object();
}

double attr(const xml::Element& e, const char* name)
{
    return e.attribute(QString::fromLatin1(name)).value_or(QStringLiteral("nan")).toDouble();
}

// The `anno` of 1-based book position `position` whose target matches the JSON link.
xml::Element findAnno(const xml::Element& root, int position, const QJsonObject& link)
{
    const auto pages = root.children(QStringLiteral("pageAnnos"));
    if (position < 1 || position > int(pages.size()))
        return {};
    for (const xml::Element& anno : pages[std::size_t(position - 1)].children(QStringLiteral("anno"))) {
        if (link.contains(QLatin1String("url")) && anno.attribute(QStringLiteral("url")) == link[QLatin1String("url")].toString())
            return anno;
        if (link.contains(QLatin1String("destPage")) &&
            anno.attribute(QStringLiteral("pageIndex")) == QString::number(link[QLatin1String("destPage")].toInt()))
            return anno;
    }
    return {};
}

TEST(PdfLinks, linkAreasMatchTheKnownRectanglesOfAnUprightDocument)
{
    const QJsonObject known = readJson(pdfData + QStringLiteral("links.json"));
    std::shared_ptr<pdf::Document> doc = pdf::openDocument(pdfData + QStringLiteral("links.pdf"));
    PdfPageLinks annotations;
    annotations.loadLinksFromPDF(doc, QStringLiteral("ALL"));
    const xml::Element root = annotations.pagesAnnotationsNode();
    ASSERT_EQ(int(root.children().size()), known[QLatin1String("pageCount")].toInt());

    const double pw = known[QLatin1String("pageSize")].toArray()[0].toDouble();
    const double ph = known[QLatin1String("pageSize")].toArray()[1].toDouble();
    int count = 0;
    for (const QJsonValue& value : known[QLatin1String("links")].toArray()) {
        const QJsonObject link = value.toObject();
        const QJsonArray r = link[QLatin1String("rect")].toArray();
        const xml::Element anno = findAnno(root, link[QLatin1String("page")].toInt(), link);
        ASSERT_FALSE(anno.isNull()) << QJsonDocument(link).toJson().toStdString();
        EXPECT_EQ(*anno.attribute(QStringLiteral("action")),
                  link.contains(QLatin1String("url")) ? QStringLiteral("web") : QStringLiteral("page"));
        EXPECT_NEAR(attr(anno, "x"), r[0].toDouble() / pw, 2e-6);
        EXPECT_NEAR(attr(anno, "y"), 1 - r[3].toDouble() / ph, 2e-6);
        EXPECT_NEAR(attr(anno, "width"), (r[2].toDouble() - r[0].toDouble()) / pw, 2e-6);
        EXPECT_NEAR(attr(anno, "height"), (r[3].toDouble() - r[1].toDouble()) / ph, 2e-6);
        ++count;
    }
    int annos = 0;
    for (const xml::Element& page : root.children())
        annos += int(page.children().size());
    EXPECT_EQ(annos, count);
}

bool isRed(const pdf::Bitmap& bitmap, double fx, double fy)
{
    const int x = std::clamp(int(fx * bitmap.width), 0, bitmap.width - 1);
    const int y = std::clamp(int(fy * bitmap.height), 0, bitmap.height - 1);
    const auto* p = reinterpret_cast<const unsigned char*>(bitmap.pixels.constData()) + (qsizetype(y) * bitmap.width + x) * 3;
    return p[0] > 200 && p[1] < 80 && p[2] < 80;
}

TEST(PdfLinks, everyLinkCoversItsBoxInTheRenderedPageWhateverTheRotationAndCropBox)
{
    const QJsonObject known = readJson(linkData + QStringLiteral("placed-links.json"));
    std::shared_ptr<pdf::Document> doc = pdf::openDocument(linkData + QStringLiteral("placed-links.pdf"));
    PdfPageLinks annotations;
    annotations.loadLinksFromPDF(doc, QStringLiteral("ALL"));
    const xml::Element root = annotations.pagesAnnotationsNode();

    const QJsonArray links = known[QLatin1String("links")].toArray();
    ASSERT_EQ(links.size(), doc->pageCount());
    for (const QJsonValue& value : links) {
        const QJsonObject link = value.toObject();
        const int number = link[QLatin1String("page")].toInt();
        SCOPED_TRACE(QStringLiteral("page %1, rotation %2").arg(number).arg(link[QLatin1String("rotation")].toInt()).toStdString());
        const xml::Element anno = findAnno(root, number, link);
        ASSERT_FALSE(anno.isNull());
        const double x = attr(anno, "x"), y = attr(anno, "y"), w = attr(anno, "width"), h = attr(anno, "height");

        double dw = 0, dh = 0;
        doc->displaySize(number - 1, &dw, &dh);
        const pdf::Bitmap picture = doc->render(number - 1, int(dw * 2), int(dh * 2));
        // Inside the area: red, close to every edge. Just outside every edge: paper.
        for (double fx : {0.05, 0.5, 0.95})
            for (double fy : {0.05, 0.5, 0.95})
                EXPECT_TRUE(isRed(picture, x + fx * w, y + fy * h)) << fx << "," << fy;
        const double mx = 4.0 / picture.width, my = 4.0 / picture.height;
        EXPECT_FALSE(isRed(picture, x - mx, y + h / 2));
        EXPECT_FALSE(isRed(picture, x + w + mx, y + h / 2));
        EXPECT_FALSE(isRed(picture, x + w / 2, y - my));
        EXPECT_FALSE(isRed(picture, x + w / 2, y + h + my));
    }
}

} // namespace
