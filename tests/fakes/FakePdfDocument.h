// An in-memory pdf::Document for scanner tests: pages with a crop box, a rotation and links,
// and an outline.
#pragma once

#include "platform/PdfDocument.h"
#include "support/Error.h"

namespace leafcraft::test {

struct FakePage {
    pdf::Rect cropBox{0, 0, 500, 800};
    int rotation = 0;
    std::vector<pdf::Link> links;
};

class FakePdfDocument : public pdf::Document {
public:
    std::vector<FakePage> pages;
    std::vector<pdf::OutlineItem> outlineItems;

    int pageCount() const override { return int(pages.size()); }
    pdf::Rect cropBox(int page) const override { return at(page).cropBox; }
    int rotation(int page) const override { return at(page).rotation; }
    void displaySize(int page, double* width, double* height) const override
    {
        const FakePage& p = at(page);
        const bool turned = p.rotation == 90 || p.rotation == 270;
        *width = turned ? p.cropBox.height() : p.cropBox.width();
        *height = turned ? p.cropBox.width() : p.cropBox.height();
    }
    std::vector<pdf::Link> links(int page) const override { return at(page).links; }
    std::vector<pdf::OutlineItem> outline() const override { return outlineItems; }
    pdf::Bitmap render(int, int width, int height) const override
    {
        return {width, height, QByteArray(width * height * 3, '\xff'), {}};
    }
    QString pageText(int) const override { return {}; }
    std::unique_ptr<pdf::Document> clone() const override { return std::make_unique<FakePdfDocument>(*this); }

private:
    const FakePage& at(int page) const
    {
        if (page < 0 || page >= int(pages.size()))
            throw Error(ErrorKind::Internal, QStringLiteral("page %1 out of range").arg(page));
        return pages[std::size_t(page)];
    }
};

} // namespace leafcraft::test
