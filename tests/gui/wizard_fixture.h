#pragma once
// The real wizard sheet, shown offscreen (not modally, so the test drives
// it), with a fresh statement and a scripted message host.

#include "app/app.h"
#include "model/document.h"
#include "support/support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Keys a user presses, sent to the window that has the focus: text, and
// <Key> or <Key*n> with keys as QKeySequence names them (Tab, Alt+D).
void Keys(const QString& script);

// Deals with the modal windows that open from now on: every 10 ms the next
// step gets the active modal window and returns whether it dealt with it.
using ModalStep = std::function<bool(QWidget*)>;
void AnswerModals(std::vector<ModalStep> steps);
// Types `keys` into the file dialog once it is active (posted: Return may
// open a box over it).
ModalStep TypeIntoFileDialog(const QString& keys);
// Records a message box as title|text|icon|buttons, then presses `button`
// (NoButton: closes it).
ModalStep AnswerBox(QString& seen, QMessageBox::StandardButton button);

using Ids = std::vector<int>;

class WizardTest : public ::testing::Test {
protected:
    WizardTest();
    ~WizardTest() override;

    // Lets posted requests (wizard buttons) take effect.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // Shows the sheet on page `index`, as a sheet starts on its first page.
    void Open(int index = 0) { sheet->show(), sheet->SetActivePage(index), Settle(); }
    CBilDlgPages* Sheet() const { return live ? live : sheet.get(); }
    CPropertyPage* Active() const { return Sheet()->GetActivePage(); }
    int ActiveIndex() const { return Sheet()->GetActiveIndex(); }
    // The wizard buttons, pressed.
    void Next() { sheet->PressNext(), Settle(); }
    void Back() { sheet->PressBack(), Settle(); }
    void Finish() { sheet->PressFinish(), Settle(); }
    // The line edit `id` of the active page, the text of its label `id`.
    QLineEdit* Edit(int id) const { return Active()->Control<QLineEdit>(id); }
    QString Caption(int id) const { return Active()->Control<QLabel>(id)->text(); }
    // The colour a user sees inside an edit, away from its text.
    static QColor Background(QWidget* edit);
    // Replaces an edit's text as a user would: select all, type.
    static void Type(QLineEdit* edit, const QString& text);
    // Chooses `path` with the browse button `id` of the active page.
    void Browse(int id, const std::string& path);
    // The header and orderer items Next insists on, filled.
    static void FillRequiredItems();

    TempDir dir;
    ScriptedHost host;
    std::unique_ptr<CBilDlgPages> sheet;
    CBilDlgPages* live = nullptr; // the sheet an application runs, if any
};
