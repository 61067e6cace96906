#include "dialogs/dialog_units.h"

#include <QFont>
#include <QFontMetricsF>

#include <cmath>

namespace dialogs {

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The average width of the 52 letters, as Windows measures a dialog font.
    m_dCharWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    m_dCharHeight = metrics.height();
}

int CDialogUnits::X(int nUnits) const
{
    return static_cast<int>(std::lround(nUnits * m_dCharWidth / 4));
}

int CDialogUnits::Y(int nUnits) const
{
    return static_cast<int>(std::lround(nUnits * m_dCharHeight / 8));
}

}  // namespace dialogs
