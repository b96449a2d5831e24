// The whole journey of a statement, as a user makes it: keys and clicks into
// the real pages, from an empty file name to Finish, and then once more with
// the written statement opened again. The files written are compared byte for
// byte with golden files written by hand from the documented layouts:
//
//   journey.txt      the statement text as written with "jen jeden TAB"
//                    (Windows-1250, CR LF, every run of TABs as one TAB)
//   journey.records  the 134 records of the statement file, one per line as
//                    tag|text|number, turned into bytes by Encode() below

#include "wizard_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- golden files

// UTF-8 to Windows-1250 with glibc alone, independent of the program's own
// conversion.
std::string ToWindows1250(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP1250", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size(), '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    EXPECT_NE(rc, std::size_t(-1)) << utf8;
    out.resize(out.size() - dstLeft);
    return out;
}

struct Record {
    std::int32_t tag;
    std::string text; // Windows-1250
    std::int32_t number;
};

std::vector<Record> ReadRecords(const std::string& path)
{
    std::vector<Record> records;
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t first = line.find('|');
        const std::size_t last = line.rfind('|');
        EXPECT_NE(first, last) << line;
        records.push_back({std::stoi(line.substr(0, first)),
                           ToWindows1250(line.substr(first + 1, last - first - 1)),
                           std::stoi(line.substr(last + 1))});
    }
    EXPECT_EQ(records.size(), 134u);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i].tag, std::int32_t(i + 1)) << "records out of order";
    return records;
}

void PutInt32(std::string& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((u >> shift) & 0xFF);
}

// The statement file: per record tag, length, text bytes, number.
std::string Encode(const std::vector<Record>& records)
{
    std::string out;
    for (const Record& r : records) {
        PutInt32(out, r.tag);
        PutInt32(out, static_cast<std::int32_t>(r.text.size()));
        out += r.text;
        PutInt32(out, r.number);
    }
    return out;
}

// Where two byte strings first differ, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    if (i == actual.size() && i == expected.size())
        return "identical";
    const auto around = [i](const std::string& s) {
        const std::size_t from = i < 40 ? 0 : i - 40;
        return s.substr(from, 80);
    };
    return "first difference at byte " + std::to_string(i) + "\nactual:   " + around(actual) +
           "\nexpected: " + around(expected);
}

// ---------------------------------------------------------------- what is typed

struct Figures {
    const char* current;
    const char* previous;
};

// Both years of every line, consistent under all fifteen sum rules.
constexpr Figures kAssets[] = {
    {"7000", "6100"}, {"50", "0"},     {"4000", "3600"}, {"120", "90"},  {"3400", "3100"},
    {"480", "410"},   {"300", "250"},  {"2800", "2400"}, {"900", "800"}, {"60", "0"},
    {"1500", "1350"}, {"340", "250"},  {"150", "100"},
};
constexpr Figures kLiabilities[] = {
    {"7000", "6100"}, {"3200", "2500"}, {"2000", "2000"}, {"1800", "1800"}, {"300", "300"},
    {"400", "350"},   {"-150", "120"},  {"650", "-270"},  {"3600", "3450"}, {"200", "150"},
    {"500", "600"},   {"1900", "1650"}, {"1000", "1050"}, {"600", "700"},   {"200", "150"},
};
constexpr Figures kProfitLoss1[] = {
    {"8950", "7900"}, {"9000", "7600"}, {"-200", "300"}, {"150", "0"},
    {"5200", "4800"}, {"3750", "3100"}, {"2100", "2050"}, {"700", "650"},
    {"90", "60"},     {"160", "140"},   {"240", "180"},  {"310", "420"},
};
constexpr Figures kProfitLoss2[] = {
    {"810", "80"},  {"20", "10"},   {"35", "40"},    {"115", "90"},  {"180", "250"}, {"-80", "-190"},
    {"730", "-110"}, {"40", "15"}, {"120", "175"}, {"-80", "-160"}, {"650", "-270"},
};

// The edits of row k of a figure page, numbered as the dialogs number them.
struct RowIds {
    int current;
    int previous;
};

RowIds FigureRowIds(int page, int k)
{
    switch (page) {
    case PageAktiva: return {1042 + 2 * k, 1043 + 2 * k};
    case PagePasiva:
        if (k == 13)
            return {1078, 1079};
        if (k == 14)
            return {1081, 1082};
        return {1096 + k, 1109 + k};
    case PageVysledky1: return {1134 + k, 1146 + k};
    default: return {1170 + k, 1181 + k};
    }
}

constexpr int kFixedAssetsRow = 2;   // [15] Stálá aktiva (B), sum of rule 2
constexpr int kIntangibleRow = 3;    // [17], an addend of rule 2 only
constexpr int kRegisteredCapitalRow = 3; // [43], in no rule

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class GoldenJourneyTest : public WizardTest {
protected:
    void Click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
    }
    void ClickNext() { Click(sheet->NextButton()); }
    void ClickControl(int id) { Click(Active()->Control<QAbstractButton>(id)); }

    void TypeFigures(int page, const Figures* rows, int count)
    {
        ASSERT_EQ(ActiveIndex(), page);
        for (int k = 0; k < count; ++k) {
            const RowIds ids = FigureRowIds(page, k);
            Type(Edit(ids.current), QString::fromLatin1(rows[k].current));
            Type(Edit(ids.previous), QString::fromLatin1(rows[k].previous));
        }
    }

    // The colour a user sees inside an edit, away from its text.
    QColor Background(int id)
    {
        QLineEdit* edit = Edit(id);
        const QImage image = edit->grab().toImage();
        return image.pixelColor(image.width() - 5, image.height() / 2);
    }

    QListWidget* RuleList(int id) const { return Active()->Control<QListWidget>(id); }
    QString Caption(int id) const { return Active()->Control<QLabel>(id)->text(); }

    void Browse(int button, const std::string& answer)
    {
        host.files.push_back(answer);
        ClickControl(button);
        EXPECT_TRUE(host.files.empty());
    }

    // A sheet as a second start of the program builds it.
    void Restart()
    {
        sheet->hide();
        sheet.reset();
        Settle();
        sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        host.boxes.clear();
    }

    std::string Golden(const std::string& name) { return ReadFile(TestDataPath(name)); }
};

} // namespace

TEST_F(GoldenJourneyTest, NewStatementFromFirstKeyToFinishThenOpenedAndChangedAgain)
{
    const std::string statement = dir.File("00000471.BIL");
    const std::string textFile = dir.File("vykaz.TXT");

    // --- File page: Next without a name, then a new name without extension.
    Open();
    ClickNext();
    ASSERT_EQ(ActiveIndex(), int(PageFile));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10003);
    host.boxes.clear();
    Browse(1008, dir.File("00000471"));
    EXPECT_EQ(Edit(1007)->text(), QString::fromStdString(statement));
    ClickNext();
    ASSERT_EQ(ActiveIndex(), int(PageHlava));

    // --- Header.
    Type(Edit(1010), U("Sklárna Šťáhlavy, a.s."));
    Type(Edit(1013), QStringLiteral("00000471"));
    Type(Edit(1015), U("Náměstí Republiky 12"));
    Type(Edit(1017), U("Plzeň"));
    Type(Edit(1019), QStringLiteral("301 00"));
    Type(Edit(1021), QStringLiteral("2023"));
    Type(Edit(1023), U("Účetní audit Řehoř s.r.o."));
    Type(Edit(1025), QStringLiteral("KA 0815"));
    Type(Edit(1027), U("28. března 2024"));
    auto* opinion = Active()->Control<QComboBox>(1028);
    opinion->setFocus();
    QTest::keyClick(opinion, Qt::Key_Down);
    EXPECT_EQ(opinion->currentText(), U("s výhradou"));
    ClickNext();

    // --- Figures, with one typing error: 1200 for 120 on the intangible
    // assets of the current year.
    TypeFigures(PageAktiva, kAssets, 13);
    const RowIds intangible = FigureRowIds(PageAktiva, kIntangibleRow);
    Type(Edit(intangible.current), QStringLiteral("1200"));
    ClickNext();
    TypeFigures(PagePasiva, kLiabilities, 15);
    ClickNext();
    TypeFigures(PageVysledky1, kProfitLoss1, 12);
    ClickNext();
    TypeFigures(PageVysledky2, kProfitLoss2, 11);
    ClickNext();

    // --- Closing data.
    ASSERT_EQ(ActiveIndex(), int(PageEnd));
    Type(Edit(1193), U("Obchodní rejstřík Krajského soudu v Plzni"));
    Type(Edit(1195), U("Sklo Bor s.r.o., Tachov"));
    Type(Edit(1201), U("Jan Novák (35 %), Eva Dvořáková (25 %)"));
    Type(Edit(1197), U("1 234,- Kč"));
    Type(Edit(1203), QStringLiteral("-2 100"));
    Type(Edit(1205), QStringLiteral("866"));
    Type(Edit(1207), U("žádné"));
    Type(Edit(1209), QStringLiteral("0"));
    Type(Edit(1211), U("1 500 tis. Kč"));
    Type(Edit(1213), U("Údaje jsou v tisících Kč."));
    ClickNext();

    // --- Error page: exactly the broken rule, in the current year.
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Caption(1206), U("Běžný rok [celkem: 1]"));
    EXPECT_EQ(Caption(1207), U("Minulý rok [celkem: 0]"));
    QListWidget* current = RuleList(1198);
    ASSERT_EQ(current->count(), 1);
    EXPECT_EQ(current->item(0)->text(), U("Stálá aktiva"));
    EXPECT_EQ(RuleList(1199)->count(), 0);

    const QPoint entry = current->visualItemRect(current->item(0)).center();
    QTest::mouseClick(current->viewport(), Qt::LeftButton, {}, entry);
    Settle();
    EXPECT_EQ(ActiveIndex(), int(PageErrors)); // a single click only selects
    QTest::mouseDClick(current->viewport(), Qt::LeftButton, {}, entry);
    Settle();

    // --- The assets page, with the sum red and its addends blue.
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    const RowIds fixedAssets = FigureRowIds(PageAktiva, kFixedAssetsRow);
    EXPECT_EQ(Background(fixedAssets.current), QColor(255, 0, 0));
    EXPECT_EQ(Background(intangible.current), QColor(0, 0, 255));
    EXPECT_NE(Background(fixedAssets.previous), QColor(255, 0, 0));
    EXPECT_EQ(Edit(intangible.current)->text(), QStringLiteral("1200"));
    Type(Edit(intangible.current), QStringLiteral("120"));
    for (int page = PagePasiva; page <= PageErrors; ++page) {
        ClickNext();
        ASSERT_EQ(ActiveIndex(), page);
    }
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Caption(1206), U("Běžný rok [celkem: 0]"));
    EXPECT_EQ(RuleList(1198)->count(), 0);
    EXPECT_EQ(RuleList(1199)->count(), 0);
    ClickNext();

    // --- Orderer: the company taken over from the header, the rest typed.
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    ClickControl(1241);
    EXPECT_EQ(Edit(1229)->text(), QStringLiteral("471"));
    Type(Edit(1011), U("Ekonomický úsek"));
    Type(Edit(1230), QStringLiteral("CZ00000471"));
    Type(Edit(1242), QStringLiteral("15.4.2024"));
    Type(Edit(1233), U("Ing. Petra Malá"));
    Type(Edit(1235), QStringLiteral("+420 377 123 456"));
    Type(Edit(1237), QStringLiteral("mala@sklarna.cz"));
    ClickNext();

    // --- Text page: the full text on screen, single TABs in the file.
    ASSERT_EQ(ActiveIndex(), int(PageText));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(Active()->Control<QPlainTextEdit>(1212)->toPlainText().contains(
        U("Datum auditu:\t\t28. března 2024\n")));
    EXPECT_TRUE(Active()->Control<QCheckBox>(1218)->isChecked());
    Browse(1217, dir.File("vykaz"));
    EXPECT_EQ(Edit(1216)->text(), QString::fromStdString(textFile));
    Click(sheet->FinishButton());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), int(QDialog::Accepted));

    std::vector<Record> records = ReadRecords(TestDataPath("journey.records"));
    const std::string goldenText = Golden("journey.txt");
    const std::string writtenBil = ReadFile(statement);
    const std::string writtenTxt = ReadFile(textFile);
    EXPECT_EQ(writtenBil, Encode(records)) << FirstDifference(writtenBil, Encode(records));
    EXPECT_EQ(writtenTxt, goldenText) << FirstDifference(writtenTxt, goldenText);

    // --- Second start: open the statement, raise the registered capital of
    // the current year from 1800 to 2000 (a line in no sum rule), finish into
    // the same text file.
    Restart();
    Open();
    Browse(1008, statement);
    ClickNext();
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(1010)->text(), U("Sklárna Šťáhlavy, a.s."));
    EXPECT_EQ(Edit(1013)->text(), QStringLiteral("471"));
    EXPECT_EQ(Active()->Control<QComboBox>(1028)->currentIndex(), 1);
    ClickNext();
    ClickNext();
    ASSERT_EQ(ActiveIndex(), int(PagePasiva));
    const RowIds registered = FigureRowIds(PagePasiva, kRegisteredCapitalRow);
    EXPECT_EQ(Edit(registered.current)->text(), QStringLiteral("1800"));
    Type(Edit(registered.current), QStringLiteral("2000"));
    for (int page = PageVysledky1; page <= PageText; ++page) {
        ClickNext();
        ASSERT_EQ(ActiveIndex(), page);
    }
    EXPECT_TRUE(host.boxes.empty());
    Browse(1217, dir.File("vykaz"));
    host.answers = {IDYES};
    Click(sheet->FinishButton());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10028);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), int(QDialog::Accepted));
    // Nothing but the two files is left in the folder.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"00000471.BIL", "vykaz.TXT"}));

    // The documented difference: record 43 holds 2000, and the text line of
    // [43]/[44] reads 2000 for the current year.
    records[43 - 1].number = 2000;
    std::string changedText = goldenText;
    const std::string before = "OR\t1800\t1800\r\n";
    const std::size_t at = changedText.find(before);
    ASSERT_NE(at, std::string::npos);
    changedText.replace(at, before.size(), "OR\t2000\t1800\r\n");

    const std::string rewrittenBil = ReadFile(statement);
    const std::string rewrittenTxt = ReadFile(textFile);
    EXPECT_EQ(rewrittenBil, Encode(records)) << FirstDifference(rewrittenBil, Encode(records));
    EXPECT_EQ(rewrittenTxt, changedText) << FirstDifference(rewrittenTxt, changedText);
}
