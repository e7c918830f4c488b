#include "import/BookPage.h"

namespace leafcraft {

std::unique_ptr<BookPage> BookPage::copyPage(int /*width*/, int /*quality*/) const
{
    return std::unique_ptr<BookPage>(new BookPage(*this));
}

} // namespace leafcraft
