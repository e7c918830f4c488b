#include "import/FlashPage.h"

namespace leafcraft {

std::unique_ptr<FlashPage> FlashPage::copyPage(int /*width*/, int /*quality*/) const
{
    return std::unique_ptr<FlashPage>(new FlashPage(*this));
}

} // namespace leafcraft
