#pragma once
// The images and help pages that ship inside the program, as resource paths. Linking the `res` target
// makes them available.

#include <QIcon>

inline constexpr char kIcon16Path[] = ":/icons/quoteforge_16.png";
inline constexpr char kIcon32Path[] = ":/icons/quoteforge_32.png";
inline constexpr char kIcon48Path[] = ":/icons/quoteforge_48.png";
inline constexpr char kIcon256Path[] = ":/icons/quoteforge_256.png";

// Toolbar buttons, 16 x 15 pixels each, in toolbar order.
inline constexpr char kToolbarOpenPath[] = ":/toolbar/open.png";
inline constexpr char kToolbarSettingsPath[] = ":/toolbar/settings.png";
inline constexpr char kToolbarClearWindowPath[] = ":/toolbar/clear_window.png";
inline constexpr char kToolbarAboutPath[] = ":/toolbar/about.png";

// The help window opens this page; the others are reached from it.
inline constexpr char kHelpIndexUrl[] = "qrc:/help/index.html";

// The application icon in all its sizes.
QIcon ApplicationIcon();
