#pragma once
// A number field: an edit that takes digits and blanks, with an up/down arrow pair at its right edge. The arrows
// (and the Up and Down keys) step the number within the range and write it back as plain digits; typing is
// never corrected or clamped. Whoever owns the field checks its text.

#include <QAbstractSpinBox>

namespace dialogs {

class CSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit CSpinEdit(QWidget* pParent = nullptr);

    void SetRange(int nMin, int nMax);
    int Minimum() const { return m_nMin; }
    int Maximum() const { return m_nMax; }
    QString Text() const;
    void SetText(const QString& strText);

    void stepBy(int nSteps) override;

signals:
    void TextChanged();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    bool Value(int& nValue) const;

    int m_nMin = 0;
    int m_nMax = 0;
};

}  // namespace dialogs
