// The texts that name the maker of Leafcraft in the books it writes (default author data,
// default book title and page description).
#pragma once

#include <QString>

namespace leafcraft::maker {

inline QString supportEmail() { return QStringLiteral("support@leafcraft.app"); }
inline QString webSite() { return QStringLiteral("https://leafcraft.app"); }
inline QString webDomain() { return QStringLiteral("leafcraft.app"); }

} // namespace leafcraft::maker
