#include "checks/markcolors.h"

#include "framework/controls.h"
#include "framework/ddx.h"
#include "framework/page.h"

#include <QApplication>
#include <QPalette>

CUzMarkColors g_markColors;

void CUzMarkColors::UpdateSysColors()
{
    const QPalette palette = QApplication::palette();
    m_crNormalText = palette.color(QPalette::Active, QPalette::Text);
    m_crNormalBk = palette.color(QPalette::Active, QPalette::Base);
}

void CUzMarkColors::CreateAddendBrush()
{
    m_crAddendText = QColor(255, 255, 255);
    m_crAddendBk = QColor(0, 0, 255);
}

void CUzMarkColors::CreateSumBrush()
{
    m_crSumText = QColor(255, 255, 255);
    m_crSumBk = QColor(255, 0, 0);
}

void CUzMarkColors::UpdateColors()
{
    UpdateSysColors();
    if (!m_bMarkBrushes) {
        CreateAddendBrush();
        CreateSumBrush();
        m_bMarkBrushes = true;
    }
}

void ApplyMark(CEditCtrl& edit, std::int32_t mark)
{
    const bool marked = !edit.isReadOnly() &&
                        (mark == CUzMarkEdit::MarkAddend || mark == CUzMarkEdit::MarkSum);
    if (!marked) {
        // An unmarked edit follows the application palette.
        if (edit.testAttribute(Qt::WA_SetPalette))
            edit.setPalette(QPalette());
        return;
    }
    const QColor& bk = mark == CUzMarkEdit::MarkSum ? g_markColors.m_crSumBk
                                                    : g_markColors.m_crAddendBk;
    const QColor& text = mark == CUzMarkEdit::MarkSum ? g_markColors.m_crSumText
                                                      : g_markColors.m_crAddendText;
    QPalette palette = edit.palette();
    if (palette.color(QPalette::Base) == bk && palette.color(QPalette::Text) == text &&
        edit.testAttribute(Qt::WA_SetPalette))
        return;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, bk);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Highlight, text);
        palette.setColor(group, QPalette::HighlightedText, bk);
    }
    edit.setPalette(palette);
}

void DDX_Control(CDataExchange& dx, int id, CUzMarkEdit& mark)
{
    if (dx.Failed())
        return;
    auto* edit = dynamic_cast<CEditCtrl*>(dx.PrepareCtrl(id));
    if (!edit || edit->m_beforePaint)
        return;
    const std::int32_t* value = &mark.m_nMark;
    edit->m_beforePaint = [value](CEditCtrl& e) { ApplyMark(e, *value); };
}
