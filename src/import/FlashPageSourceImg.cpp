#include "import/FlashPageSourceImg.h"

#include "import/FlashPageImage.h"

#include <algorithm>

namespace leafcraft {

namespace {

void appendImage(FlashPageList& list, const QString& path)
{
    list.push_back(std::make_unique<FlashPageImage>(path, int(list.size()) + 1));
}

// Inserts at pageIndex - 1, kept within the list so that a sparse numbering cannot index
// past its end.
void insertAtPageIndex(FlashPageList& list, std::unique_ptr<FlashPage> page)
{
    const auto position = std::clamp<qsizetype>(page->pageIndex() - 1, 0, qsizetype(list.size()));
    list.insert(list.begin() + position, std::move(page));
}

} // namespace

void FlashPageSourceImg::addImgPageFromFile(const QString& path)
{
    appendImage(mutablePages(), path);
}

void FlashPageSourceImg::addThumbImgPageFromFile(const QString& path)
{
    appendImage(mutableThumbPages(), path);
}

void FlashPageSourceImg::addMobileImgPageFromFile(const QString& path)
{
    appendImage(mutableMobilePages(), path);
}

void FlashPageSourceImg::generateNormalPages()
{
    for (const auto& page : pages())
        if (!normalPageAt(page->pageIndex()))
            insertAtPageIndex(mutableNormalPages(), page->copyPage(100, 100));
}

void FlashPageSourceImg::generateThumbPages()
{
    for (const auto& page : pages())
        if (!thumbPageAt(page->pageIndex()))
            insertAtPageIndex(mutableThumbPages(), page->copyPage(100, 100));
}

} // namespace leafcraft
