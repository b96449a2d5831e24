// Figures from the books: official statements generated from the form's sum
// structure, written as the tax return's XML and as CSV, read back and taken
// over; the documented example; rounding from crowns; hostile sources.

#include "checks/rules.h"
#include "import/proposal.h"
#include "import/read.h"
#include "model/data.h"
#include "support/support.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <sys/stat.h>

using namespace bilimport;

namespace {

using Key = std::pair<Table, int>;
using Values = std::map<Key, std::array<std::int64_t, 2>>;

// The sum structure: B.II.1. inside B.II., B.II. inside B., the top marks
// inside the grand total (the liabilities' B. and C. inside B.+C. first);
// the profit and loss's lines have no parent, its results are formulas.
const OfficialRow* ParentRow(const OfficialRow& r)
{
    std::string mark = r.mark;
    if (mark.empty() || mark[0] == '*' || mark == "B.+C.")
        mark = mark == "B.+C." && r.table == Table::Liabilities ? "" : "-";
    else if (const std::size_t dot = mark.find_last_of('.', mark.size() - 2); dot != std::string::npos)
        mark.resize(dot + 1);
    else
        mark = r.table == Table::ProfitLoss ? "-" : r.table == Table::Liabilities && mark != "A." && mark != "D." ? "B.+C." : "";
    for (const OfficialRow& p : OfficialRows())
        if (p.table == r.table && p.mark == mark && &p != &r)
            return &p;
    return nullptr;
}

struct Gen {
    Extent extent = Extent::Full;
    bool inD = true;    // accruals in D., else in C.II.3. / C.III.
    bool extras = false; // A.VI. and M. non-zero
    bool crowns = false; // haléře instead of thousands
    unsigned seed = 1;
};

// A consistent statement: random leaves, every row above the sum of the
// rows below it, the results of the profit and loss from their formulas,
// A.V. the year's result, and liabilities made equal to assets through B.
Values Generate(const Gen& g)
{
    std::mt19937 rng(g.seed);
    std::map<const OfficialRow*, std::vector<const OfficialRow*>> kids;
    for (const OfficialRow& r : OfficialRows())
        if (r.In(g.extent) && ParentRow(r))
            kids[ParentRow(r)].push_back(&r);
    const auto empty = [&](const OfficialRow& r) {
        for (const OfficialRow* p = &r; p; p = ParentRow(*p)) {
            const Key k{p->table, p->line};
            if (k == Key{Table::Assets, g.inD ? 78 : 74} || k == Key{Table::Liabilities, g.inD ? 67 : 64} ||
                (!g.extras && (k == Key{Table::Liabilities, 23} || k == Key{Table::ProfitLoss, 54})))
                return true;
        }
        return false;
    };
    Values v;
    const std::int64_t unit = g.crowns ? 100000 : 1;
    std::function<std::array<std::int64_t, 2>(const OfficialRow&)> value = [&](const OfficialRow& r) {
        std::array<std::int64_t, 2> out{};
        for (const OfficialRow* c : kids[&r]) {
            const auto sub = value(*c);
            out = {out[0] + sub[0], out[1] + sub[1]};
        }
        for (int y = 0; kids[&r].empty() && y < 2; ++y)
            out[y] = r.table == Table::Liabilities && r.line == 22 ? v[{Table::ProfitLoss, 55}][y]
                     : empty(r)                                    ? 0
                                                                   : std::int64_t(rng() % (9000 * unit)) - 1000 * unit;
        return v[{r.table, r.line}] = out;
    };
    for (const OfficialRow& r : OfficialRows())
        if (r.table == Table::ProfitLoss && r.In(g.extent) && !ParentRow(r) && *r.mark != '*')
            value(r);
    const auto ub = [&](std::initializer_list<int> lines, int y) {
        std::int64_t s = 0;
        for (int l : lines)
            s += (l < 0 ? -1 : 1) * v[{Table::ProfitLoss, std::abs(l)}][y];
        return s;
    };
    for (int y = 0; y < 2; ++y) {
        v[{Table::ProfitLoss, 30}][y] = ub({1, 2, -3, -7, -8, -9, -14, 20, -24}, y);
        v[{Table::ProfitLoss, 48}][y] = ub({31, -34, 35, -38, 39, -42, -43, 46, -47}, y);
        v[{Table::ProfitLoss, 49}][y] = ub({30, 48}, y);
        v[{Table::ProfitLoss, 53}][y] = ub({49, -50}, y);
        v[{Table::ProfitLoss, 55}][y] = ub({53, -54}, y);
        v[{Table::ProfitLoss, 56}][y] = ub({1, 2, 20, 31, 35, 39, 46}, y);
    }
    value(*FindRow(Table::Assets, 1));
    value(*FindRow(Table::Liabilities, 1));
    for (const OfficialRow* p = FindRow(Table::Liabilities, g.extent == Extent::Full ? 29 : 25); p; p = ParentRow(*p))
        for (int y = 0; y < 2; ++y)
            v[{p->table, p->line}][y] += v[{Table::Assets, 1}][y] - v[{Table::Liabilities, 1}][y];
    return v;
}

QString Figure(std::int64_t v, bool crowns)
{
    const std::int64_t a = std::abs(v);
    QString digits = QString::number(crowns ? a / 100 : a);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0xA0));
    return (v < 0 ? QString(QChar(0x2212)) : QString()) + digits +
           (crowns ? QStringLiteral(",%1").arg(a % 100, 2, 10, QChar(u'0')) : QString());
}

QByteArray Xml(const Values& v, const char* extent)
{
    // Records outside the form's own are no figures of the statement.
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Pisemnost><DPPDP9>\n"
                               "<VetaP dic=\"1\"><VetaUA c_radku=\"1\"/></VetaP><VetaD uv_rozsah=\"%1\"/>\n")
                    .arg(extent);
    for (const auto& [k, x] : v)
        s += k.first == Table::Assets
                 ? QStringLiteral("<VetaUA c_radku=\"%1\" kc_brutto=\"0\" kc_netto=\"%2\" kc_netto_min=\"%3\"/>\n")
                       .arg(k.second).arg(x[0]).arg(x[1])
                 : QStringLiteral("<VetaU%1 c_radku=\"%2\" kc_sled=\"%3\" kc_min=\"%4\"/>\n")
                       .arg(k.first == Table::Liabilities ? 'D' : 'B').arg(k.second).arg(x[0]).arg(x[1]);
    return (s + "</DPPDP9><Jine><VetaUA c_radku=\"1\"/></Jine></Pisemnost>\n").toUtf8();
}

// Non-zero rows in the form's order, marks written loosely ("B. II. 1").
QByteArray Csv(const Values& v, QChar sep, bool lines, bool crowns, bool cp1250)
{
    const auto cell = [&](const QString& s) { return sep == u',' ? '"' + s + '"' : s; };
    QString s = QStringList{"Označení", "VÝKAZ", "radek", "Běžné", "minulé"}.join(sep) + "\r\n";
    for (const OfficialRow& r : OfficialRows()) {
        const auto it = v.find({r.table, r.line});
        if (it == v.end() || (it->second[0] == 0 && it->second[1] == 0))
            continue;
        QString mark = QString::fromUtf8(r.mark).replace(".", ". ").trimmed();
        mark.chop(mark.endsWith('.') ? 1 : 0);
        s += QStringList{mark, r.table == Table::Assets ? "aktiva" : r.table == Table::Liabilities ? "Pasiva" : "vzz",
                         lines ? QString::number(r.line) : "", cell(Figure(it->second[0], crowns)),
                         cell(Figure(it->second[1], crowns))}
                 .join(sep) +
             "\r\n";
    }
    return cp1250 ? QByteArray::fromStdString(Windows1250(s.replace(QChar(0x2212), '-').toStdString())) : s.toUtf8();
}

struct Taken {
    Statement st;
    Proposal p;
    CUzData data;
};

void Take(const QByteArray& bytes, bool crowns, Taken& t)
{
    QString error;
    ASSERT_EQ(ReadSourceBytes(bytes, "zdroj", {crowns}, t.st, error), ReadStatus::Ok) << error.toStdString();
    ASSERT_TRUE(Proposal::Make(t.st, t.data, t.p, error)) << error.toStdString();
    t.p.Apply(t.data, Years::Both);
}

std::vector<int> FailedRules(const CUzData& d)
{
    std::vector<int> out;
    for (const CUzFailedRules& list : d.FailedRules())
        out.insert(out.end(), list.m_aRule, list.m_aRule + list.m_nCount);
    return out;
}

} // namespace

TEST(Import, GeneratedStatementsKeepTheRules)
{
    unsigned seed = 1;
    for (const Extent extent : {Extent::Full, Extent::Small, Extent::Micro})
        for (const bool inD : {true, false})
            for (const bool extras : {false, true}) {
                if (extent == Extent::Micro && !inD)
                    continue; // the micro form has accruals in D. only
                SCOPED_TRACE(testing::Message() << "extent " << int(extent) << " inD " << inD << " extras " << extras);
                const Values v = Generate({extent, inD, extras, false, ++seed});
                const char* letter = extent == Extent::Full ? "P" : extent == Extent::Small ? "Z" : "M";
                for (int source = 0; source < 3; ++source) {
                    Taken t;
                    Take(source == 0   ? Xml(v, letter)
                         : source == 1 ? Csv(v, u';', true, false, false)
                                       : Csv(v, seed % 2 ? u'\t' : u',', false, false, true),
                         false, t);
                    EXPECT_EQ(t.st.extent, extent) << "source " << source;
                    EXPECT_EQ(t.st.AccrualsAt(), inD ? Accruals::InD : Accruals::InC);
                    // The micro form lacks the split of fixed and current
                    // assets, of equity and of liabilities.
                    const std::vector<int> micro = {2, 3, 5, 6, 2, 3, 5, 6};
                    EXPECT_EQ(FailedRules(t.data), extent == Extent::Micro ? micro : std::vector<int>());
                    EXPECT_EQ(t.p.FailingRules(Years::Both).size(), FailedRules(t.data).size());
                    EXPECT_EQ(t.p.Undetermined(Years::Both), extent == Extent::Full ? 0 : extent == Extent::Small ? 10 : 36);
                    EXPECT_EQ(t.p.Taken(Years::Current), 51 - t.p.Undetermined(Years::Both) / 2);
                    EXPECT_TRUE(t.p.LeftOvers().empty());
                    EXPECT_EQ(t.p.Row(103).status, extras ? Status::Sum : Status::Exact);
                    EXPECT_EQ(t.p.Row(25).status, inD ? Status::Exact : Status::Sum);
                    EXPECT_EQ(t.data.Item(111).m_nNumber, v.at({Table::ProfitLoss, 55})[0]);
                }
            }
}

TEST(Import, ExampleGivesTheDocumentedFigures)
{
    std::istringstream expected(ReadFile(TestDataPath("import/example-full.expected.tsv")));
    std::string header;
    std::getline(expected, header);
    std::vector<std::tuple<int, std::string, int, int, std::string>> rows;
    for (std::string line; std::getline(expected, line);) {
        std::istringstream in(line);
        std::string item, label, cur, prev, status;
        std::getline(in, item, '\t'), std::getline(in, label, '\t'), std::getline(in, cur, '\t');
        std::getline(in, prev, '\t'), std::getline(in, status);
        rows.emplace_back(std::stoi(item), label, std::stoi(cur), std::stoi(prev), status);
    }
    ASSERT_EQ(rows.size(), 51u);
    for (const char* file : {"import/example-full.xml", "import/example-full.csv"}) {
        SCOPED_TRACE(file);
        Statement st;
        QString error;
        ASSERT_EQ(ReadSource(TestDataPath(file), {}, st, error), ReadStatus::Ok) << error.toStdString();
        // The example is consistent: every row the structure puts others
        // under is their sum.
        std::map<const OfficialRow*, std::array<std::int64_t, 2>> sums;
        for (const OfficialRow& r : OfficialRows())
            if (ParentRow(r))
                for (int y = 0; y < 2; ++y)
                    sums[ParentRow(r)][y] += st.Value(r.table, r.line, y);
        for (const auto& [r, s] : sums)
            EXPECT_EQ(s, (std::array{st.Value(r->table, r->line, 0), st.Value(r->table, r->line, 1)})) << r->line;
        CUzData data;
        Proposal p;
        ASSERT_TRUE(Proposal::Make(st, data, p, error));
        for (const auto& [item, label, cur, prev, status] : rows) {
            const RowProposal& row = p.Row(item);
            EXPECT_EQ(row.label.toStdString(), label);
            EXPECT_EQ(row.value[0], cur) << item;
            EXPECT_EQ(row.value[1], prev) << item;
            EXPECT_EQ(StatusText(row.status).toStdString(), status) << item;
        }
        EXPECT_EQ(p.Row(33).source, "UA 68 + UA 71 (C.III. + C.IV.)");
        EXPECT_EQ(p.Row(25).source, "UA 37 (C.)");
        EXPECT_EQ(p.Row(71).source, "− UB 7 (− B.)");
        EXPECT_EQ(p.Taken(Years::Both), 102);
        EXPECT_TRUE(p.FailingRules(Years::Both).empty());
        EXPECT_TRUE(p.Summary(Years::Both).contains("Po převzetí platí všechna pravidla součtů."));
    }
}

// A small company's form lacks bank loans: the statement's own stay, and
// are taken out of the liabilities that hold them.
TEST(Import, UndeterminedRowsKeepTheStatementsValues)
{
    const Values v = Generate({Extent::Small, true, false, false, 7});
    Taken t;
    const std::map<int, std::int32_t> before = {{61, 700}, {63, 200}, {62, 90}, {43, 5}, {44, 6}, {57, 1}, {12, 3}};
    for (const auto& [tag, n] : before)
        t.data.Item(tag).m_nNumber = n;
    t.data.EditItem(57).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    Statement st;
    QString error;
    ASSERT_EQ(ReadSourceBytes(Xml(v, "Z"), "x", {}, st, error), ReadStatus::Ok);
    ASSERT_TRUE(Proposal::Make(st, t.data, t.p, error));
    t.p.Apply(t.data, Years::Current);
    EXPECT_EQ(t.data.Item(57).m_nNumber, v.at({Table::Liabilities, 31})[0] - 200);
    EXPECT_EQ(t.data.Item(59).m_nNumber, v.at({Table::Liabilities, 46})[0] - 500);
    EXPECT_EQ(t.data.Item(61).m_nNumber, 700);
    EXPECT_EQ(t.data.Item(43).m_nNumber, 5);
    EXPECT_EQ(t.data.Item(12).m_nNumber, 3); // the previous year stays as it was
    EXPECT_EQ(t.data.EditItem(57).m_edit.m_nMark, CUzMarkEdit::MarkNone);
    EXPECT_EQ(t.p.Row(61).StatusLine(), "nelze určit (ponechána hodnota)");
    EXPECT_EQ(t.p.Row(85).StatusLine(), "nelze určit");
    EXPECT_EQ(t.p.Row(63).source, "zkrácený výkaz neuvádí; ponechána hodnota");
    EXPECT_EQ(t.p.Row(57).status, Status::Sum);
    EXPECT_EQ(t.p.Row(57).source, "UD 31 (C.I.) − z toho: dlouhodobé bankovní úvěry (B.IV.1.)");
    EXPECT_TRUE(t.p.Row(57).Changes(0));
    EXPECT_EQ(t.data.FailedRules()[0].m_nCount, 0); // the current year adds up
    EXPECT_EQ(t.p.FailingRules(Years::Current).size(), FailedRules(t.data).size());
    EXPECT_EQ(t.p.Taken(Years::Current), 46);
    // As text: a line per row with its label, figures and status.
    const QStringList text = t.p.Text(Years::Current).split('\n');
    const auto line = std::find_if(text.begin(), text.end(), [](const QString& l) { return l.startsWith("bankovní úvěry"); });
    ASSERT_NE(line, text.end());
    EXPECT_EQ(line->simplified(), "bankovní úvěry a výpomoci (B.IV.) 700 90 nelze určit (ponechána hodnota)");
}

TEST(Import, CrownsAreRoundedAndEvenedOut)
{
    // Current year: B.II., rounded down most (not the largest), takes the
    // missing thousand, and A.IV. does in equity, not A.V. which the year's
    // result has fixed; the previous year's tie goes to the lower row;
    // −1 500 Kč is −2.
    const QByteArray csv = "výkaz;řádek;označení;běžné;minulé\n"
                           "aktiva;1;;4 590;3 100\naktiva;2;A.;1 490;\naktiva;3;B.;3 100;3 100\n"
                           "aktiva;4;B.I.;2 300;1 400\naktiva;14;B.II.;450;1 400\naktiva;27;B.III.;350;300\n\n"
                           "pasiva;1;;4 590;3 100\npasiva;2;A.;4 590;3 100\npasiva;3;A.I.;4 700;4 600,00\n"
                           "pasiva;18;A.IV.;\"−1 600\";−1 500,00\npasiva;22;A.V.;1 490;\n"
                           "vzz;1;I.;1 490;\nvzz;30;*;1 490;\nvzz;53;**;1 490;\nvzz;55;***;1 490;\n";
    Taken t;
    Take(csv, true, t);
    EXPECT_EQ((std::array{t.data.Item(17).m_nNumber, t.data.Item(19).m_nNumber, t.data.Item(21).m_nNumber}),
              (std::array{2, 1, 0}));
    EXPECT_EQ((std::array{t.data.Item(18).m_nNumber, t.data.Item(20).m_nNumber, t.data.Item(22).m_nNumber}),
              (std::array{2, 1, 0}));
    EXPECT_EQ((std::array{t.data.Item(41).m_nNumber, t.data.Item(49).m_nNumber, t.data.Item(50).m_nNumber}),
              (std::array{5, -1, -2}));
    EXPECT_EQ(t.data.Item(13).m_nNumber, 2);
    EXPECT_EQ(t.data.Item(51).m_nNumber, 1);
    ASSERT_EQ(t.p.Adjustments(Years::Both).size(), 4u);
    EXPECT_EQ(t.p.Row(19).StatusLine(), "přesně, dorovnáno +1 (běžný rok)");
    EXPECT_TRUE(t.p.Summary(Years::Previous).contains("Dorovnáno při zaokrouhlení: dlouhodobý nehmotný majetek (B.I.) (minulý rok) +1"));
    EXPECT_TRUE(FailedRules(t.data).empty());

    // A whole generated statement in crowns: every rule holds again.
    for (const Extent extent : {Extent::Full, Extent::Small}) {
        Taken g;
        Take(Csv(Generate({extent, false, true, true, 11}), u',', true, true, false), true, g);
        EXPECT_EQ(FailedRules(g.data), std::vector<int>{});
        EXPECT_GT(g.p.Adjustments(Years::Both).size(), 3u);
    }

    // More than rounding can explain is the source's own fault: left as it is.
    Taken bad;
    Take("výkaz;označení;běžné\naktiva;;5 000", true, bad); // and no line end at the end
    EXPECT_TRUE(bad.p.Adjustments(Years::Both).empty());
    EXPECT_EQ(FailedRules(bad.data), (std::vector<int>{0, 1}));
    EXPECT_EQ(bad.p.FailingRules(Years::Both)[1].caption, "Aktiva celkem");
}

TEST(Import, CsvRowsAreFoundByMarkInAnyShape)
{
    // The duplicated marks of the profit and loss by their order; unknown
    // rows listed, not taken.
    const QByteArray csv = "\xEF\xBB\xBF" "Minulé,Výkaz,Text,Označení\n"
                           "1,vzz,x,I.\n5,vzz,,*\n7,vzz,,I.\n\"1 000,00\",vzz,,ii\n"
                           "\"−3\",vzz,\"Zvláštní \"\"Z\"\"\",Z.\n0,vzz,nula,Y.\n\n,,,\n,aktiva,Rozvaha,\n4,aktiva,,C.II. 3\n";
    Taken t;
    Take(csv, false, t);
    EXPECT_EQ(t.st.Value(Table::ProfitLoss, 1, 1), 1);
    EXPECT_EQ(t.st.Value(Table::ProfitLoss, 42, 1), 7);
    EXPECT_EQ(t.st.Value(Table::ProfitLoss, 30, 1), 5);
    EXPECT_EQ(t.st.Value(Table::ProfitLoss, 2, 1), 1000);
    EXPECT_EQ(t.p.SourceDescription(), "CSV, zkrácený rozsah (malá účetní jednotka) podle řádků v souboru, "
                                       "v tisících Kč, časové rozlišení v C.II.3. a C.III.");
    ASSERT_EQ(t.p.LeftOvers().size(), 1u);
    EXPECT_EQ(t.p.LeftOvers()[0].row, "vzz Z.");
    EXPECT_EQ(t.p.LeftOvers()[0].value[1], "-3");
    EXPECT_TRUE(t.p.Summary(Years::Both).contains("Bil nepřevezme řádek zdroje vzz Z. Zvláštní \"Z\": 0 / -3"));
}

TEST(Import, HostileSourcesAreRefusedWithTheirReason)
{
    TempDir dir;
    const std::string billion = "<?xml version=\"1.0\"?><!DOCTYPE P [<!ENTITY a \"aaaaaaaaaa\">"
                                "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                                "<Pisemnost><DPPDP9><VetaUA c_radku=\"1\" kc_netto=\"&c;\"/></DPPDP9></Pisemnost>";
    const std::string head = "<Pisemnost><DPPDP9>\n";
    const std::string csv = "výkaz;řádek;označení;běžné\n";
    struct Case {
        std::string bytes;
        bool crowns;
        std::string says;
    };
    const Case cases[] = {
        {std::string(kMaxSourceBytes + 1, ' '), false, "je větší než 16 MB"},
        {std::string(kMaxSourceBytes, ' '), false, "je prázdný"},
        {"", false, "je prázdný"},
        {std::string("%PDF\0\1", 6), false, "není XML ani CSV"},
        {"Dobrý den,\nposílám výkaz.\n", false, "není XML ani CSV: první řádek není hlavička"},
        {std::string("\xFF\xFE<\0P\0", 6), false, "není XML ani CSV"},
        {"výkaz;označení\naktiva;A.\n", false, "řádek 1: v hlavičce chybí sloupec běžné nebo minulé"},
        {"řádek;označení;běžné\n", false, "řádek 1: v hlavičce chybí sloupec výkaz"},
        {"výkaz;běžné;Běžné;označení\n", false, "řádek 1: sloupec běžné je v hlavičce dvakrát"},
        {csv + "aktiva;1;;\"12\n", false, "řádek 2: uvozovky se tu otevírají"},
        {csv + "aktiva;1;\n", false, "řádek 2: má méně sloupců (3) než hlavička (4)"},
        {csv + "aktiva;1;;1;5\n", false, "řádek 2: má víc sloupců než hlavička"},
        {csv + "rozvaha;1;;1\n", false, "řádek 2: výkaz „rozvaha“ není aktiva, pasiva ani vzz"},
        {csv + std::string(45, 'x') + ";1;;1\n", false, "řádek 2: výkaz „" + std::string(40, 'x') + "…“ není"},
        {csv + "aktiva;5;B.I.;1\n", false, "řádek 2: řádek výkazu 5 nepatří k označení „B.I.“"},
        {csv + "aktiva;5;X.;1\n", false, "řádek 2: řádek výkazu 5 má označení „B.I.1.“, ne „X.“"},
        {csv + "aktiva;x;B.;1\n", false, "řádek 2: řádek výkazu „x“ není číslo"},
        {csv + "aktiva;;B.;1\naktiva;;B. ;2\n", false, "řádek 3: označení „B.“ je ve výkazu aktiva víckrát, než ho výkaz má (1×)"},
        {csv + "vzz;;I.;1\nvzz;42;I.;2\nvzz;;I.;3\n", false, "řádek 4: označení „I.“ je ve výkazu vzz víckrát, než ho výkaz má (2×)"},
        {csv + "vzz;42;I.;1\nvzz;42;I.;2\n", false, "řádek 3: řádek výkazu 42 (I.) je v souboru podruhé (poprvé na řádku 2)"},
        {"výkaz;řádek;označení;běžné\r\n\r\naktiva;1;;1,5\r\n", false,
         "řádek 3: sloupec běžné „1,5“ není celé číslo (čísla jsou v tisících Kč)"},
        {csv + "aktiva;1;;12 34\n", false, "řádek 2: sloupec běžné „12 34“ není celé číslo"},
        {csv + "aktiva;1;;1.234\n", true, "řádek 2: sloupec běžné „1.234“ není částka v Kč"},
        {csv + "aktiva;1;;1,234\n", true, "řádek 2: sloupec běžné „1,234“ není částka v Kč"},
        {csv + "aktiva;1;;2147483648\n", false, "řádek 2: sloupec běžné „2147483648“ je mimo rozsah"},
        {csv + "aktiva;1;;99999999999999999999\n", false, "řádek 2: sloupec běžné „99999999999999999999“ je mimo rozsah"},
        {csv + "aktiva;1;;−2147483648\n", false, ""}, // the lowest figure: read
        {csv + "aktiva;1;;2 147 483 647 500\n", true, "řádek 2: sloupec běžné „2 147 483 647 500“ je mimo rozsah"},
        {csv, false, "neobsahuje žádný řádek výkazu"},
        {"<a/>", false, "není přiznání k dani z příjmů právnických osob (čeká se Pisemnost, je tam „a“)"},
        {"<Pisemnost><DPPDP8/></Pisemnost>", false, "neobsahuje přiznání DPPDP9"},
        {"<Pisemnost><DPPDP9><VetaD/></DPPDP9></Pisemnost>", false, "neobsahuje rozvahu ani výkaz zisku a ztráty"},
        {billion, false, "řádek 1: obsahuje deklaraci DOCTYPE"},
        {head + "<VetaUA c_radku=\"1\" kc_netto=\"5\"/>\n<VetaUA c_radku=\"2\"", false, "řádek 3: končí předčasně"},
        {head + "<VetaUA c_radku=\"1\"></VetaUB>", false, "řádek 2: není správně utvořené XML"},
        {head + "<VetaUA c_radku=\"82\"/>", false, "řádek 2: VetaUA: řádek „82“ formulář (aktiva) nemá"},
        {head + "<VetaUD c_radku=\"20\"/>", false, "řádek 2: VetaUD: řádek „20“ formulář (pasiva) nemá"},
        {head + "<VetaUB kc_sled=\"1\"/>", false, "řádek 2: VetaUB nemá číslo řádku"},
        {head + "<VetaUB c_radku=\"3\"/>\n\n<VetaUB c_radku=\"3\"/>", false,
         "řádek 4: VetaUB s řádkem 3 je v souboru podruhé (poprvé na řádku 2)"},
        {head + "<VetaUA c_radku=\"3\" kc_netto=\"1.5\"/>", false, "řádek 2: VetaUA řádek 3: kc_netto „1.5“ není celé číslo"},
        {head + "<VetaUA c_radku=\"3\" kc_korekce=\"1 000\"/>", false, "řádek 2: VetaUA řádek 3: kc_korekce „1 000“ není celé číslo"},
        {head + "<VetaUD c_radku=\"3\" kc_min=\"-2147483649\"/>", false, "řádek 2: VetaUD řádek 3: kc_min „-2147483649“ je mimo rozsah"},
        {head + "<VetaD uv_rozsah=\"X\"/>", false, "řádek 2: rozsah výkazů uv_rozsah „X“ není P, Z ani M"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><Pisemnost/>", false, "je v kódování „iso-8859-2“"},
        {"<?xml version=\"1.0\" encoding=\"windows-1250\"?><Pisemnost>\x98</Pisemnost>", false,
         "není v kódování windows-1250"},
        {"<Pisemnost>\xC3</Pisemnost>", false, "není platné UTF-8"},
        {"<Pisemnost/>", true, "volba „v korunách“ platí jen pro CSV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        WriteFile(dir.File("výkaz"), c.bytes);
        Statement st;
        QString error;
        const ReadStatus status = ReadSource(dir.File("výkaz"), {c.crowns}, st, error);
        if (c.says.empty()) {
            EXPECT_EQ(status, ReadStatus::Ok);
            EXPECT_EQ(st.Value(Table::Assets, 1, 0), INT32_MIN);
            continue;
        }
        EXPECT_EQ(status, c.crowns && c.bytes[0] == '<' ? ReadStatus::CrownsWithXml : ReadStatus::Failed);
        const bool atLine = c.says.starts_with("řádek ") && std::isdigit(static_cast<unsigned char>(c.says[8]));
        EXPECT_TRUE(error.startsWith(atLine ? "Soubor „výkaz“, řádek " : "Soubor „výkaz“: ")) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromStdString(c.says))) << error.toStdString();
    }
    // Two figures within range whose sum is not.
    Statement st;
    QString error;
    ASSERT_EQ(ReadSourceBytes(QByteArray::fromStdString(head + "<VetaUA c_radku=\"68\" kc_netto_min=\"2147483647\"/>"
                                                               "<VetaUA c_radku=\"71\" kc_netto_min=\"1\"/></DPPDP9></Pisemnost>"),
                              "velký.xml", {}, st, error),
              ReadStatus::Ok);
    CUzData data;
    Proposal p;
    EXPECT_FALSE(Proposal::Make(st, data, p, error));
    EXPECT_EQ(error, "Soubor „velký.xml“: finanční majetek (C.IV.) (minulý rok) by byl 2147483648 tisíc Kč, "
                     "tolik Bil nepojme (nejvýš 2147483647).");
    // Only regular files: a FIFO would block, a folder is none.
    ASSERT_EQ(mkfifo(dir.File("roura").c_str(), 0600), 0);
    for (const auto& [name, says] : {std::pair{"roura", "není obyčejný soubor"}, {"", "je složka"}, {"nic", "neexistuje"}}) {
        EXPECT_EQ(ReadSource(dir.File(name), {}, st, error), ReadStatus::Failed);
        EXPECT_TRUE(error.contains(says)) << error.toStdString();
    }
}
