// A page of an image page source: an existing picture used as it is.
#pragma once

#include "import/FlashPage.h"

namespace leafcraft {

class FlashPageImage : public FlashPage {
public:
    using FlashPage::FlashPage;

    std::unique_ptr<FlashPage> copyPage(int width, int quality) const override;
};

} // namespace leafcraft
