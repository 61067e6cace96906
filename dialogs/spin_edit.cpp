#include "dialogs/spin_edit.h"

#include <QLineEdit>

#include <algorithm>

namespace dialogs {

CSpinEdit::CSpinEdit(QWidget* pParent) : QAbstractSpinBox(pParent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    connect(lineEdit(), &QLineEdit::textChanged, this, &CSpinEdit::TextChanged);
}

void CSpinEdit::SetRange(int nMin, int nMax)
{
    m_nMin = nMin;
    m_nMax = nMax;
    update();
}

QString CSpinEdit::Text() const
{
    return lineEdit()->text();
}

void CSpinEdit::SetText(const QString& strText)
{
    lineEdit()->setText(strText);
}

bool CSpinEdit::Value(int& nValue) const
{
    bool bOk = false;
    nValue = Text().trimmed().toInt(&bOk);
    return bOk;
}

void CSpinEdit::stepBy(int nSteps)
{
    int nValue = 0;
    // A text that is no number steps from the range's start.
    const long long next = Value(nValue) ? static_cast<long long>(nValue) + nSteps : m_nMin;
    SetText(QString::number(std::clamp<long long>(next, m_nMin, m_nMax)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled CSpinEdit::stepEnabled() const
{
    if (isReadOnly() || !isEnabled())
        return StepNone;
    int nValue = 0;
    if (!Value(nValue))
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (nValue < m_nMax)
        enabled |= StepUpEnabled;
    if (nValue > m_nMin)
        enabled |= StepDownEnabled;
    return enabled;
}

// Digits and blanks only: anything else typed or pasted is refused as it comes, so that a number field
// never holds a sign, a point or a letter.
QValidator::State CSpinEdit::validate(QString& input, int&) const
{
    for (const QChar c : input)
        if (!c.isDigit() && c != u' ')
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

}  // namespace dialogs
