#include "pages/markedit.h"

#include "framework/controls.h"
#include "framework/ddx.h"
#include "framework/page.h"
#include "framework/text.h"

#include <QPalette>

const CUzMarkColors g_markColors;
std::string g_markedRule;

void ApplyMark(CEditCtrl& edit, std::int32_t mark)
{
    const bool marked = !edit.isReadOnly() &&
                        (mark == CUzMarkEdit::MarkAddend || mark == CUzMarkEdit::MarkSum);
    const QString description =
        !marked ? QString()
                : (mark == CUzMarkEdit::MarkSum ? QStringLiteral("Součet chybného pravidla: ")
                                                : QStringLiteral("Sčítanec chybného pravidla: ")) +
                      FromCp1250(g_markedRule);
    if (edit.accessibleDescription() != description)
        edit.setAccessibleDescription(description);
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
