#include "import/PageImage.h"

namespace leafcraft {

std::unique_ptr<BookPage> PageImage::copyPage(int /*width*/, int /*quality*/) const
{
    return std::unique_ptr<BookPage>(new PageImage(*this));
}

} // namespace leafcraft
