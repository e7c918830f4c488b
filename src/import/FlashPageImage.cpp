#include "import/FlashPageImage.h"

namespace leafcraft {

std::unique_ptr<FlashPage> FlashPageImage::copyPage(int /*width*/, int /*quality*/) const
{
    return std::unique_ptr<FlashPage>(new FlashPageImage(*this));
}

} // namespace leafcraft
