#include "app/run_offers.h"

#include <QDir>
#include <QFileInfo>

#include "engine/code_page.h"
#include "metastock/day_number.h"
#include "metastock/directory_reader.h"
#include "metastock/path_text.h"
#include "settings/engine_path.h"
#include "settings/message_box.h"

namespace app {

using namespace settings;

namespace {

bool Ask(const QString& strText, QWidget* pParent)
{
    return ShowMessageBox(strText, EMessageButtons::YesNo, pParent) == EMessageAnswer::Yes;
}

bool HasMaster(const QString& strDir)
{
    const QStringList files = QDir(strDir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return std::any_of(files.begin(), files.end(),
                       [](const QString& strName) { return strName.compare("MASTER", Qt::CaseInsensitive) == 0; });
}

// The symbol's last date when the directory holds it; empty when it does not (or cannot be read, which the
// run then reports).
QString HeldLastDate(const QString& strDir, const std::string& symbol)
{
    metastock::DirectoryContents contents;
    std::string error;
    std::string stored;
    std::string bad;
    if (!engine::Utf8ToWindows1252(symbol, stored, bad) ||
        !metastock::ReadDirectory(metastock::PathFromText(EnginePath(strDir)), contents, error))
        return {};
    const metastock::SecurityEntry* pSecurity = metastock::FindSecurity(contents, stored);
    if (!pSecurity)
        return {};
    const int nLast = pSecurity->entry.nLastDate;
    return nLast > 0 ? QString::fromStdString(metastock::IsoDateText(nLast)) : QStringLiteral("its last date");
}

}  // namespace

RunOffers AskBeforeRun(const engine::ConversionSettings& settings, QWidget* pParent)
{
    RunOffers offers;
    offers.nExist = settings.Exist;
    const QString strDir = FromEngineText(settings.Path);
    const QString strSymbol = QString::fromStdString(settings.Symbol);
    const QFileInfo info(strDir);
    if (!info.exists()) {
        if (!Ask(QStringLiteral("Path does not exist\nCreate the directory %1?").arg(strDir), pParent)) {
            offers.strRefusal = QStringLiteral("Path does not exist: %1").arg(strDir);
            return offers;
        }
        if (!QDir().mkpath(strDir)) {
            offers.strRefusal =
                QStringLiteral("There was a problem creating %1.\nThe new directory was not created.").arg(strDir);
            ShowMessageBox(offers.strRefusal, EMessageButtons::Ok, pParent);
            return offers;
        }
    } else if (!info.isDir()) {
        offers.strRefusal = QStringLiteral("Path does not exist\n%1 is a file, not a directory.").arg(strDir);
        ShowMessageBox(offers.strRefusal, EMessageButtons::Ok, pParent);
        return offers;
    }

    const bool bMaster = HasMaster(strDir);
    if (offers.nExist == 0 && !bMaster) {
        if (!Ask(QStringLiteral("Path specified does not point to a Master file\nMake a new MASTER in %1?").arg(strDir),
                 pParent)) {
            offers.strRefusal = QStringLiteral("Path specified does not point to a Master file: %1").arg(strDir);
            return offers;
        }
        offers.nExist = 1;
    } else if (offers.nExist == 1 && bMaster) {
        if (!Ask(QStringLiteral("New Master chosen but one already exists\nAdd %1 to the MASTER in %2?")
                     .arg(strSymbol, strDir),
                 pParent)) {
            offers.strRefusal = QStringLiteral("New Master chosen but one already exists in %1").arg(strDir);
            return offers;
        }
        offers.nExist = 0;
    }

    if (offers.nExist == 0) {
        const QString strLast = HeldLastDate(strDir, settings.Symbol);
        if (!strLast.isEmpty()) {
            if (!Ask(QStringLiteral("Duplicate Symbol\n%1 is already in %2.\nUpdate: append the rows after %3?")
                         .arg(strSymbol, strDir, strLast),
                     pParent)) {
                offers.strRefusal = QStringLiteral("Duplicate Symbol: %1 in %2").arg(strSymbol, strDir);
                return offers;
            }
            offers.bUpdate = true;
        }
    }
    offers.bRun = true;
    return offers;
}

}  // namespace app
