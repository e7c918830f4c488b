#include "templates/StringUtil.h"

#include "templates/TemplateProperty.h"

#include <array>

namespace leafcraft {

int templatePropertyTypeFromString(const QString& name)
{
    static const std::array<QLatin1String, 11> names = {
        QLatin1String("pt_text"),          QLatin1String("pt_number"),
        QLatin1String("pt_color"),         QLatin1String("pt_list"),
        QLatin1String("pt_composite"),     QLatin1String("pt_file"),
        QLatin1String("pt_list_fromFunction"), QLatin1String("pt_form_security"),
        QLatin1String("pt_font"),          QLatin1String("pt_form_contactabout"),
        QLatin1String("pt_bool")};
    static_assert(names.size() == pt_bool + 1);
    if (name.isNull())
        return pt_text;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (name == names[i])
            return int(i);
    return pt_text;
}

bool valueAsBool(const QString& text)
{
    if (text.isNull())
        return false;
    const QString upper = text.toUpper();
    return upper == QLatin1String("YES") || upper == QLatin1String("SHOW") || upper == QLatin1String("ENABLE") ||
           upper == QLatin1String("TRUE");
}

} // namespace leafcraft
