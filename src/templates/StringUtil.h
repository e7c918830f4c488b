// Operations on property texts: the type number of a type name and the boolean reading
// of a value.
#pragma once

#include <QString>

namespace leafcraft {

// The type number of a template property type name ("pt_text" 0 ... "pt_bool" 10). The lookup
// is exact and case-sensitive; an unknown name and a null text give 0 ("pt_text").
int templatePropertyTypeFromString(const QString& name);

// True when the upper-cased text equals "YES", "SHOW", "ENABLE" or "TRUE". No trimming and no
// numeric reading: "1", "ON", "" and null are false.
bool valueAsBool(const QString& text);

} // namespace leafcraft
