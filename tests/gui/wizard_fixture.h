#pragma once
// A fixture that runs the real wizard sheet, shown offscreen (not modally, so
// the test drives it), with a fresh statement and a scripted message host.

#include "app/app.h"
#include "pages/markedit.h"
#include "model/document.h"
#include "support/files.h"
#include "support/scripted_host.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets posted requests (wizard buttons) take effect.
    static void Settle();

    // Shows the sheet on page 0 as DoModal would, without blocking.
    void Open();
    CPropertyPage* Active() const { return sheet->GetActivePage(); }
    int ActiveIndex() const { return sheet->GetActiveIndex(); }

    // Presses a wizard button and lets the queued requests run.
    void Next();
    void Back();
    void Finish();
    void Cancel();

    // The line edit `id` of the active page.
    QLineEdit* Edit(int id) const;
    // Replaces an edit's text as a user would: select all, type.
    static void Type(QWidget* edit, const QString& text);

    // Chooses a statement file on page 0 through the scripted file dialog and
    // moves on to the header page.
    void StartWith(const std::string& path);

    // Shows the sheet with `index` as its first page, as a sheet built with
    // that first page starts.
    void OpenAt(int index);
    // Fills the items the header and orderer pages insist on, so that Next
    // passes both without a message.
    static void FillRequiredItems();
    // Writes the statement as it stands to dir/name, empties the values again
    // and returns the path, for StartWith.
    std::string SaveStatement(const std::string& name);

    TempDir dir;
    ScriptedHost host;
    std::unique_ptr<CBilDlgPages> sheet;
};
