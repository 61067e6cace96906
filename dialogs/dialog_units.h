#pragma once
// Places controls in dialog units: a quarter of the dialog font's average character width across and an
// eighth of its height down, so that a layout drawn in those units grows with the font.

#include <QRect>
#include <QSize>

class QFont;

namespace dialogs {

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int X(int nUnits) const;
    int Y(int nUnits) const;
    QRect Rect(int x, int y, int cx, int cy) const { return QRect(X(x), Y(y), X(cx), Y(cy)); }
    QSize Size(int cx, int cy) const { return QSize(X(cx), Y(cy)); }

private:
    double m_dCharWidth;
    double m_dCharHeight;
};

}  // namespace dialogs
