#include "import/ImagePageSource.h"

#include "import/PageImage.h"

#include <algorithm>

namespace leafcraft {

namespace {

void appendImage(BookPageList& list, const QString& path)
{
    list.push_back(std::make_unique<PageImage>(path, int(list.size()) + 1));
}

// Inserts at pageIndex - 1, kept within the list so that a sparse numbering cannot index
// past its end.
void insertAtPageIndex(BookPageList& list, std::unique_ptr<BookPage> page)
{
    const auto position = std::clamp<qsizetype>(page->pageIndex() - 1, 0, qsizetype(list.size()));
    list.insert(list.begin() + position, std::move(page));
}

} // namespace

void ImagePageSource::addImgPageFromFile(const QString& path)
{
    appendImage(mutablePages(), path);
}

void ImagePageSource::addThumbImgPageFromFile(const QString& path)
{
    appendImage(mutableThumbPages(), path);
}

void ImagePageSource::addMobileImgPageFromFile(const QString& path)
{
    appendImage(mutableMobilePages(), path);
}

void ImagePageSource::generateNormalPages()
{
    for (const auto& page : pages())
        if (!normalPageAt(page->pageIndex()))
            insertAtPageIndex(mutableNormalPages(), page->copyPage(100, 100));
}

void ImagePageSource::generateThumbPages()
{
    for (const auto& page : pages())
        if (!thumbPageAt(page->pageIndex()))
            insertAtPageIndex(mutableThumbPages(), page->copyPage(100, 100));
}

} // namespace leafcraft
