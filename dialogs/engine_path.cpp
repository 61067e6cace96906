#include "dialogs/engine_path.h"

#include <QFile>

// On Windows the system's 8-bit names are the ANSI code page, which cannot hold every name; the engine
// opens files through wide-character calls from UTF-8. Elsewhere the system's names are the engine's.

namespace dialogs {

std::string EnginePath(const QString& strPath)
{
#ifdef _WIN32
    return strPath.toUtf8().toStdString();
#else
    return QFile::encodeName(strPath).toStdString();
#endif
}

QString FromEngineText(const std::string& text)
{
#ifdef _WIN32
    return QString::fromUtf8(text.c_str());
#else
    return QString::fromLocal8Bit(text.c_str());
#endif
}

}  // namespace dialogs
