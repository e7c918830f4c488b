// A page of an image page source: an existing picture used as it is.
#pragma once

#include "import/BookPage.h"

namespace leafcraft {

class PageImage : public BookPage {
public:
    using BookPage::BookPage;

    std::unique_ptr<BookPage> copyPage(int width, int quality) const override;
};

} // namespace leafcraft
