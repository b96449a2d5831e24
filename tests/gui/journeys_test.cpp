// The golden journey: a statement made with keys only, sent to whatever has
// the focus, the sheet run by DoModal and the real file dialog pointed at a
// folder with a Czech name; then opened again and changed. The files written
// are compared byte for byte with golden files written by hand
// (journey.records, journey.txt in tests/data). What the keys do depends on
// real focus, caret and selection.

#include "wizard_fixture.h"

#include "framework/qthost.h"
#include "framework/text.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace {

class JourneyTest : public WizardTest {
protected:
    JourneyTest() { host.fileDialogs = &qtHost; }

    // Runs the sheet modally while `steps` press keys; a step gone wrong
    // closes it, and so does a minute gone by.
    int RunModal(const std::function<void()>& steps)
    {
        QTimer::singleShot(60000, sheet.get(), [this] {
            for (QWidget* modal; (modal = QApplication::activeModalWidget()) && modal != sheet.get();)
                modal->close();
            sheet->done(QDialog::Rejected);
        });
        QTimer::singleShot(0, sheet.get(), [&] {
            if (QTest::qWaitForWindowActive(sheet.get()))
                steps();
            if (sheet->isVisible())
                sheet->done(QDialog::Rejected);
        });
        return sheet->DoModal();
    }
    // The golden values of `tags`, as typed into fields one Tab apart.
    QString Typed(const std::vector<int>& tags) const
    {
        QStringList typed;
        for (int tag : tags) {
            const Record& r = records[tag - 1];
            typed << (r.text.empty() ? QString::number(r.number) : FromCp1250(r.text));
        }
        return typed.join("<Tab>");
    }

    QtMessageHost qtHost;
    std::vector<Record> records = ReadRecords("journey.records");
};

} // namespace

TEST_F(JourneyTest, ByKeysFromAnEmptyNameToFinishAndAgainWithAChange)
{
    const std::string folder = dir.File("účty 2024");
    std::filesystem::create_directory(folder);
    const QString path = QString::fromStdString(folder);
    QString warning, proposed;
    const auto run = RunModal([&] {
        // The browse button has the focus. Next without a name is refused;
        // Return browses, a missing folder is refused there.
        ASSERT_EQ(QApplication::focusWidget(), Active()->GetDlgItem(1008));
        // It is the page's last stop: Tab goes on to the wizard's buttons.
        Keys("<Tab>");
        EXPECT_EQ(QApplication::focusWidget(), sheet->NextButton());
        Keys("<Backtab*2>");
        EXPECT_EQ(QApplication::focusWidget(), Active()->GetDlgItem(1242));
        Keys("<Tab>");
        ASSERT_EQ(QApplication::focusWidget(), Active()->GetDlgItem(1008));
        EXPECT_TRUE(Caption(1006).startsWith(QString::fromUtf8("Zadejte jméno souboru. Pro snažší")));
        Keys("<Alt+D>");
        AnswerModals({TypeIntoFileDialog(path + "/chybi/Účet<Return>"), AnswerBox(warning, QMessageBox::Ok),
                      TypeIntoFileDialog("<Ctrl+A>" + path + "/Účet<Return>")});
        Keys("<Return>");
        ASSERT_EQ(Edit(1007)->text(), path + "/Účet.BIL");
        // Header: labels are the statement's own and name their fields on
        // arrival. Back asks whether to give up the changes (No), Next
        // refuses the empty fields, the opinion is the second in the list.
        Keys("<Alt+D>");
        ASSERT_EQ(ActiveIndex(), int(PageHlava));
        EXPECT_EQ(Caption(1012), QString::fromUtf8("IČO:"));
        EXPECT_EQ(Caption(1029), QString::fromUtf8("Výrok auditora:"));
        EXPECT_EQ(Edit(1010)->accessibleName(), QString::fromUtf8("Obchodní jméno:"));
        EXPECT_EQ(Edit(1013)->accessibleName(), QString::fromUtf8("IČO:"));
        Keys("<Alt+Z><Return>" + Typed({1, 2, 4, 3, 5, 6, 7, 8, 9}) + "<Tab><Down><Return>");
        // Figures as typed on arrival and after each Tab replace what is
        // shown, with one typing error: 900 for 90 on the previous year's
        // intangible assets [18].
        ASSERT_EQ(ActiveIndex(), int(PageAktiva));
        QStringList headings;
        for (QLabel* label : Active()->findChildren<QLabel*>())
            headings << label->text();
        EXPECT_TRUE(headings.contains(QString::fromUtf8("Běžný rok")) && headings.contains(QString::fromUtf8("Minulý rok")));
        records[18 - 1].number = 900;
        for (int page = PageAktiva, tag = kFirstFigureTag; page <= PageVysledky2; ++page) {
            ASSERT_EQ(ActiveIndex(), page);
            std::vector<int> tags(Active()->findChildren<QLineEdit*>().size());
            for (int& t : tags)
                t = tag++;
            Keys(Typed(tags) + "<Return>");
        }
        records[18 - 1].number = 90;
        Keys(Typed({113, 114, 115, 116, 117, 118, 119, 120, 121, 122}) + "<Return>");
        // Exactly the broken rule; Tab to the previous year, Down selects
        // it, Return opens the assets on its sum, red and focused, the
        // addends blue.
        ASSERT_EQ(ActiveIndex(), int(PageErrors));
        EXPECT_EQ(Caption(1206), QString::fromUtf8("Běžný rok [celkem: 0]"));
        EXPECT_EQ(Caption(1207), QString::fromUtf8("Minulý rok [celkem: 1]"));
        EXPECT_EQ(Active()->Control<QListWidget>(1199)->item(0)->text(), QString::fromUtf8("Stálá aktiva"));
        Keys("<Tab><Down><Return>");
        ASSERT_EQ(ActiveIndex(), int(PageAktiva));
        ASSERT_EQ(QApplication::focusWidget(), Edit(1047)); // [16]
        EXPECT_EQ(Edit(1047)->selectedText(), "3600");
        EXPECT_EQ(Background(Edit(1047)), QColor(255, 0, 0));
        EXPECT_EQ(Background(Edit(1049)), QColor(0, 0, 255)); // [18]
        EXPECT_NE(Background(Edit(1046)), QColor(255, 0, 0)); // [15]
        Keys("<Tab*2>90<Return*5>");
        // Orderer: Next refuses the empty name, Back takes the department
        // over without the check. Tab to "Použít údaje z UZ": Return copies
        // the header.
        Keys("<Return><Tab>" + Typed({124}) + "<Return><Alt+Z>");
        ASSERT_EQ(ActiveIndex(), int(PageErrors));
        Keys("<Return><Tab*8><Return><Backtab*2>" + Typed({129, 130}) + "<Tab*2>" + Typed({131, 132}) +
             "<Tab*2>" + Typed({134}) + "<Return>");
        // Text page: the full text shown, single TABs in the file.
        ASSERT_EQ(ActiveIndex(), int(PageText));
        EXPECT_TRUE(Active()->Control<QPlainTextEdit>(1212)->toPlainText().contains(
            QString::fromUtf8("Datum auditu:\t\t28. března 2024\n")));
        EXPECT_FALSE(sheet->NextButton()->isVisible());
        // The dialog opens beside the statement, its name proposed with
        // .TXT and selected, so that typing replaces it; Escape leaves the
        // name empty.
        AnswerModals({[&proposed](QWidget* w) {
                          auto* dlg = qobject_cast<QFileDialog*>(w);
                          if (!dlg || !QTest::qWaitForWindowActive(w))
                              return false;
                          proposed = dlg->directory().absolutePath() + "|" +
                                     dlg->findChild<QLineEdit*>("fileNameEdit")->selectedText();
                          return true;
                      },
                      TypeIntoFileDialog("<Escape>")});
        Keys("<Return>");
        EXPECT_EQ(Edit(1216)->text(), "");
        AnswerModals({TypeIntoFileDialog(path + "/výkaz<Return>")});
        Keys("<Return><Alt+D>");
    });
    EXPECT_EQ(proposed, path + QString::fromUtf8("|Účet.TXT"));
    EXPECT_EQ(run, int(QDialog::Accepted));
    EXPECT_EQ(BoxIds(), (Ids{10003, 10012, 10011, 10027}));
    EXPECT_TRUE(warning.contains(path + "/chybi"));
    const std::string statement = folder + "/Účet.BIL", text = folder + "/výkaz.TXT";
    const std::string goldenText = ReadFile(TestDataPath("journey.txt"));
    EXPECT_TRUE(ReadFile(statement) == EncodeRecords(records));
    EXPECT_TRUE(ReadFile(text) == goldenText);

    // Again: the statement opened shows what was saved; the registered
    // capital [43] (a line in no rule) raised from 1800 to 2000, Esc answered
    // No, the text file replaced after the question.
    host.boxes.clear();
    host.answers = {IDNO, IDYES};
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    const auto again = RunModal([&] {
        AnswerModals({TypeIntoFileDialog(path + "/Účet.BIL<Return>")});
        Keys("<Return><Alt+D>");
        ASSERT_EQ(ActiveIndex(), int(PageHlava));
        EXPECT_EQ(Edit(1010)->text(), QString::fromUtf8("Sklárna Šťáhlavy, a.s."));
        EXPECT_EQ(Edit(1013)->text(), "477");
        EXPECT_EQ(Active()->Control<QComboBox>(1028)->currentIndex(), 1);
        Keys("<Return*2><Escape>");
        ASSERT_EQ(ActiveIndex(), int(PagePasiva));
        EXPECT_EQ(Edit(1099)->text(), "1800");
        Keys("<Tab*6>2000<Return*6>");
        ASSERT_EQ(ActiveIndex(), int(PageText));
        AnswerModals({TypeIntoFileDialog(path + "/výkaz<Return>")});
        Keys("<Return><Alt+D>");
    });
    EXPECT_EQ(again, int(QDialog::Accepted));
    EXPECT_EQ(BoxIds(), (Ids{10029, 10028}));
    records[43 - 1].number = 2000;
    std::string changedText = goldenText;
    const std::size_t at = changedText.find("OR\t1800\t1800\r\n");
    ASSERT_NE(at, std::string::npos);
    changedText.replace(at, 14, "OR\t2000\t1800\r\n");
    EXPECT_TRUE(ReadFile(statement) == EncodeRecords(records));
    EXPECT_TRUE(ReadFile(text) == changedText);
}
