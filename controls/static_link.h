#pragma once
// A text label that acts as a mail or web link: drawn underlined, blue until its target has been
// opened and purple after, with a pointing hand while the pointer is over it. A click hands the target
// to the desktop to open; without one, the text as it stands at the first click.

#include <optional>

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QTimer>

namespace controls {

class CStaticLink : public QLabel {
    Q_OBJECT

public:
    explicit CStaticLink(QWidget* parent = nullptr);
    ~CStaticLink() override;

    // The address a click opens ("mailto:..." for a mail address).
    void SetTarget(const QString& strTarget) { m_strLink = strTarget; }

    QColor m_colorUnvisited{0, 0, 255};
    QColor m_colorVisited{128, 0, 128};
    // The visited flag (1 = visited) is the owner's, so that it outlives the control and a link
    // opened once stays purple whenever it is shown again. Point it there before the first showing;
    // until then the control uses a flag of its own.
    int* m_pVisited;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnClicked();
    void OnMouseMove(const QPoint& position);
    void OnClickPauseEnd();
    void UpdateColors();
    void EndHover();
    bool HoldsPlainText() const;

    int m_bCaptured = 0;     // the pointer is over the link: hand cursor
    int m_bClickPause = 0;   // a click came less than a second ago: pointer moves are ignored
    QString m_strLink;       // the target; when none was set, taken from the text at the first click
    std::optional<QFont> m_font;  // the label's font underlined, made at the first colouring
    QTimer m_clickPauseTimer;
    bool m_bPressed = false;      // a left-button press began on the label
    int m_bOwnVisited = 0;
};

}  // namespace controls
