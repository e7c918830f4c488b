#include "annotations/FlashPagesAnnotations.h"

namespace leafcraft {

xml::Element FlashPagesAnnotations::pagesAnnotationsNode() const
{
    return m_tree.isNull() ? xml::Element() : m_tree.root();
}

} // namespace leafcraft
