#pragma once
// The maker's texts of the About box, and the two addresses that its link controls open. The mail
// link is told from the web link by kMailMarker, the user part of the mail address with its at sign.

#include <QStringView>

namespace controls {

inline constexpr QStringView kAuthorName = u"Paul Nicholson";
inline constexpr QStringView kCopyrightLine = u"\u00A9 2026 Pelnic Software";

inline constexpr QStringView kMailMarker = u"support@";
inline constexpr QStringView kMailAddress = u"support@pelnic.example";
inline constexpr QStringView kWebAddress = u"http://www.pelnic.example/";

inline constexpr QStringView kLegalNotice =
    u"This program is provided as is, without warranty of any kind. You use it at your own risk.\n\n"
    u"MetaStock and CompuTrac are trademarks of their respective owners.";

}  // namespace controls
