// A page source over existing picture files, used as they are (the demonstration book).
// Build it empty, add one file per page in book order, then generateNormalPages() so that
// normalPages mirrors pages.
#pragma once

#include "import/PageSource.h"

namespace leafcraft {

class ImagePageSource : public PageSource {
public:
    // Appends a page with pageIndex = the list's new length, so the book order is the order
    // of the calls.
    void addImgPageFromFile(const QString& path);
    void addThumbImgPageFromFile(const QString& path);
    void addMobileImgPageFromFile(const QString& path);

    // The pictures are the page files: nothing to produce.
    void generatePages() override {}
    void generateMobilePages() override {}
    // Puts a copy of every page that has no normal entry yet at position pageIndex - 1.
    void generateNormalPages() override;
    // The same for thumbnails; as thumbPageAt() never answers, every page is copied.
    void generateThumbPages() override;

    const BookPage* thumbPageAt(int /*pageNumber*/) const override { return nullptr; }
};

} // namespace leafcraft
