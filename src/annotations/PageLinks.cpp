#include "annotations/PageLinks.h"

namespace leafcraft {

xml::Element PageLinks::pagesAnnotationsNode() const
{
    return m_tree.isNull() ? xml::Element() : m_tree.root();
}

} // namespace leafcraft
