// Every page as the user sees it, in the dialog font: its controls on the
// page and apart from each other, every label's text within its control,
// every field reachable by Tab.

#include "wizard_fixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

TEST_F(WizardTest, EveryPageKeepsItsControlsOnThePageApartAndLegible)
{
    Open();
    for (int i = 0; i < sheet->GetPageCount(); ++i) {
        CPropertyPage* page = sheet->GetPage(i);
        page->EnsureCreated();
        const QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        const auto name = [i](QWidget* w) {
            return "page " + std::to_string(i) + " " + w->objectName().toStdString() + " \"" +
                   w->property("text").toString().left(30).toStdString() + '"';
        };
        for (QWidget* w : controls) {
            EXPECT_TRUE(page->rect().contains(w->geometry())) << name(w) << " leaves the page";
            if (auto* label = qobject_cast<QLabel*>(w)) {
                const bool wrap = label->wordWrap();
                const int needed = wrap ? label->heightForWidth(label->width()) : label->sizeHint().width();
                EXPECT_LE(needed, wrap ? label->height() : label->width()) << name(w) << " is cut";
            }
            const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                               qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w);
            EXPECT_TRUE(!input || (w->focusPolicy() & Qt::TabFocus)) << name(w) << " has no tab stop";
        }
        // Frames and lines surround controls; nothing else may share a pixel.
        const auto frame = [](QWidget* w) {
            return qobject_cast<QGroupBox*>(w) || w->metaObject() == &QFrame::staticMetaObject;
        };
        for (qsizetype a = 0; a < controls.size(); ++a)
            for (qsizetype b = a + 1; b < controls.size(); ++b)
                EXPECT_TRUE(frame(controls[a]) || frame(controls[b]) ||
                            !controls[a]->geometry().intersects(controls[b]->geometry()))
                    << name(controls[a]) << " overlaps " << name(controls[b]);
    }
}
