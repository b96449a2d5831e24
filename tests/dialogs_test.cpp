// The page dialogs as data: every page present, its controls on the page and
// apart, the given positions and control ids kept, labels with room for the
// catalogue texts; and the letter resource with the office's address.

#include "model/catalogue.h"
#include "model/cp1250.h"
#include "res/dialogs.h"
#include "res/office.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kPages[] = {130, 131, 132, 133, 134, 135, 136, 137, 138, 151};

const ControlTemplate* Find(const DialogTemplate& d, int id)
{
    for (const ControlTemplate& c : d.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

std::string Where(const DialogTemplate& d, const ControlTemplate& c)
{
    return "dialog " + std::to_string(d.id) + " control " + std::to_string(c.id) + " at " +
           std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.w) + "," +
           std::to_string(c.h);
}

bool Intersect(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool Encloses(const ControlTemplate& frame, const ControlTemplate& c)
{
    return frame.kind == CtlKind::GroupBox && frame.x <= c.x && frame.y <= c.y &&
           c.x + c.w <= frame.x + frame.w && c.y + c.h <= frame.y + frame.h;
}

// Lines a text needs in a width when broken at blanks, at a generous 4 units
// per letter (the dialog font averages nearer 3).
int LinesNeeded(std::string_view text, int width)
{
    int lines = 1, used = 0;
    while (!text.empty()) {
        const auto blank = text.find(' ');
        int letters = 0;
        for (unsigned char ch : text.substr(0, blank))
            letters += (ch & 0xC0) != 0x80;
        if (letters > 0 && used > 0 && used + 4 + 4 * letters > width) {
            ++lines;
            used = 4 * letters;
        } else if (letters > 0) {
            used += (used ? 4 : 0) + 4 * letters;
        }
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
    return lines;
}

// The label of an item's field shows the catalogue text at run time; a line
// of the dialog font is 8 units high and only a wrapping static has more.
void ExpectRoomFor(const DialogTemplate& d, const ControlTemplate& label, int tag)
{
    const std::string_view text = CatalogueAt(tag).label;
    const int lines = (label.style & CtlWordWrap) ? label.h / 8 : 1;
    EXPECT_GE(label.h, 8) << Where(d, label);
    EXPECT_LE(LinesNeeded(text, label.w), lines) << Where(d, label) << " clips \"" << text << '"';
}

TEST(Dialogs, EveryPageHasItsCaptionAndSize)
{
    const std::pair<int, const char*> captions[] = {
        {130, "Bil - Účetní závěrka pro KT - Soubor"},
        {132, "Bil - Účetní závěrka pro KT - Hlavička"},
        {133, "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Aktiva)"},
        {134, "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Pasiva)"},
        {135, "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (1)"},
        {136, "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (2)"},
        {137, "Bil - Účetní závěrka pro KT - Dokončení"},
        {131, "Bil - Účetní závěrka pro KT - Kontrola a oprava chyb"},
        {151, "Bil - Účetní závěrka pro KT - Údaje o objednavateli"},
        {138, "Bil - Účetní závěrka pro KT - Text"},
    };
    for (const auto& [id, caption] : captions) {
        const DialogTemplate* d = FindDialogTemplate(id);
        ASSERT_NE(d, nullptr) << id;
        EXPECT_EQ(d->id, id);
        EXPECT_STREQ(d->caption, caption);
        EXPECT_TRUE((d->w == 367 || d->w == 368) && d->h == 209) << id;
        EXPECT_EQ(FindDialogTemplate(id), d) << "built once";
    }
    EXPECT_EQ(FindDialogTemplate(IDI_BIL), nullptr);
    EXPECT_EQ(FindDialogTemplate(139), nullptr);
}

TEST(Dialogs, ControlsStayOnThePageApartAndReachableByTab)
{
    for (int id : kPages) {
        const DialogTemplate& d = *FindDialogTemplate(id);
        std::set<int> ids;
        for (const ControlTemplate& c : d.controls) {
            EXPECT_TRUE(c.id == kNoId || ids.insert(c.id).second) << Where(d, c) << ": id twice";
            EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.w > 0 && c.h > 0) << Where(d, c);
            EXPECT_TRUE(c.x + c.w <= d.w && c.y + c.h <= d.h) << Where(d, c) << " leaves the page";
            EXPECT_NE(c.text, nullptr) << Where(d, c);
            const bool input = c.kind == CtlKind::Edit || c.kind == CtlKind::Button ||
                               c.kind == CtlKind::CheckBox || c.kind == CtlKind::ListBox ||
                               c.kind == CtlKind::ComboBox;
            EXPECT_TRUE(!input || (c.style & CtlTabStop)) << Where(d, c) << " has no tab stop";
        }
        for (std::size_t i = 0; i < d.controls.size(); ++i)
            for (std::size_t j = i + 1; j < d.controls.size(); ++j) {
                const ControlTemplate& a = d.controls[i];
                const ControlTemplate& b = d.controls[j];
                if (Intersect(a, b) && !Encloses(a, b) && !Encloses(b, a))
                    ADD_FAILURE() << Where(d, a) << " overlaps " << Where(d, b);
            }
    }
}

struct Row {
    int label, current, previous;
};

TEST(Dialogs, FigurePagesHaveOneRowPerLineWithItsControlIds)
{
    struct Page {
        int dialog, firstTag;
        std::size_t rows;
        std::vector<std::pair<std::size_t, Row>> known; // row index: ids
        const char* firstLabel;
        const char* lastLabel;
    };
    const Page pages[] = {
        {133, 11, 13,
         {{0, {1038, 1042, 1043}}, {3, {1041, 1048, 1049}}, {4, {1068, 1050, 1051}},
          {12, {1076, 1066, 1067}}},
         "Aktiva celkem", "Ostatní aktiva (D)"},
        {134, 37, 15,
         {{0, {1083, 1096, 1109}}, {12, {1095, 1108, 1121}}, {13, {1077, 1078, 1079}},
          {14, {1080, 1081, 1082}}},
         "Pasiva celkem", "Ostatní pasiva (C)"},
        {135, 67, 12, {{0, {1122, 1134, 1146}}, {11, {1133, 1145, 1157}}},
         "Výkon a prodej zboží (I+II)", "Jiné provozní náklady (D+F+I+J)"},
        {136, 91, 11, {{0, {1158, 1170, 1181}}, {10, {1168, 1180, 1191}}},
         "Provozní hosp. výsledek (*)", "Hosp. výsledek za účet. období (***)"},
    };
    for (const Page& p : pages) {
        const DialogTemplate& d = *FindDialogTemplate(p.dialog);
        // A row is a static with an id followed by its two edits.
        std::vector<Row> rows;
        std::vector<const ControlTemplate*> labels;
        for (std::size_t i = 0; i + 2 < d.controls.size(); ++i) {
            const ControlTemplate& l = d.controls[i];
            const ControlTemplate& cur = d.controls[i + 1];
            const ControlTemplate& prev = d.controls[i + 2];
            if (l.kind != CtlKind::Static || l.id == kNoId)
                continue;
            ASSERT_TRUE(cur.kind == CtlKind::Edit && prev.kind == CtlKind::Edit) << Where(d, l);
            EXPECT_TRUE(l.x == 0 && l.w == 218 && cur.w == 70 && prev.w == 69) << Where(d, l);
            EXPECT_TRUE(cur.y == prev.y && cur.x + cur.w < prev.x) << Where(d, cur);
            EXPECT_TRUE((cur.style & CtlBorder) && (cur.style & CtlAutoHScroll)) << Where(d, cur);
            const int middle = l.y + l.h / 2;
            EXPECT_TRUE(middle >= cur.y && middle <= cur.y + cur.h) << Where(d, l) << " off row";
            EXPECT_TRUE(labels.empty() || labels.back()->y < l.y) << Where(d, l) << " out of order";
            ExpectRoomFor(d, l, p.firstTag + 2 * static_cast<int>(rows.size()));
            rows.push_back({l.id, cur.id, prev.id});
            labels.push_back(&l);
        }
        ASSERT_EQ(rows.size(), p.rows) << p.dialog;
        for (const auto& [k, ids] : p.known)
            EXPECT_TRUE(rows[k].label == ids.label && rows[k].current == ids.current &&
                        rows[k].previous == ids.previous)
                << p.dialog << " row " << k;
        EXPECT_STREQ(labels.front()->text, p.firstLabel);
        EXPECT_STREQ(labels.back()->text, p.lastLabel);

        // Headings over the two columns, then an etched line, then the rows.
        const ControlTemplate& cur = *Find(d, rows.front().current);
        const ControlTemplate& prev = *Find(d, rows.front().previous);
        int headings = 0, lines = 0;
        for (const ControlTemplate& c : d.controls) {
            const std::string_view text = c.text;
            const ControlTemplate* column = text == "Běžný rok"    ? &cur
                                            : text == "Minulý rok" ? &prev
                                                                   : nullptr;
            if (c.kind == CtlKind::Static && column) {
                ++headings;
                EXPECT_TRUE(c.x < column->x + column->w && column->x < c.x + c.w) << Where(d, c);
            }
            if (c.kind == CtlKind::HLine) {
                ++lines;
                EXPECT_LT(c.y + c.h, cur.y) << Where(d, c);
            }
        }
        EXPECT_TRUE(headings == 2 && lines == 1) << p.dialog;
    }
    // Indented catalogue labels start at the left edge in the template.
    EXPECT_STREQ(Find(*FindDialogTemplate(133), 1068)->text, "dlouhodobý hmotný majetek (B.II.)");
}

TEST(Dialogs, DataPagesLabelEveryFieldNextToIt)
{
    struct Binding {
        int dialog, tag, field, label;
    };
    const Binding bindings[] = {
        {132, 1, 1010, 1011},   {132, 2, 1013, 1012},   {132, 3, 1017, 1016},
        {132, 4, 1015, 1014},   {132, 5, 1019, 1018},   {132, 6, 1021, 1020},
        {132, 7, 1023, 1022},   {132, 8, 1025, 1024},   {132, 9, 1027, 1026},
        {132, 10, 1028, 1029},  {137, 113, 1193, 1192}, {137, 114, 1195, 1194},
        {137, 115, 1201, 1200}, {137, 116, 1197, 1196}, {137, 117, 1203, 1202},
        {137, 118, 1205, 1204}, {137, 119, 1207, 1206}, {137, 120, 1209, 1208},
        {137, 121, 1211, 1210}, {137, 122, 1213, 1212}, {151, 123, 1221, 1219},
        {151, 124, 1011, 1220}, {151, 125, 1223, 1222}, {151, 126, 1225, 1224},
        {151, 127, 1227, 1226}, {151, 128, 1229, 1228}, {151, 129, 1230, 1231},
        {151, 130, 1242, 1240}, {151, 131, 1233, 1232}, {151, 132, 1235, 1234},
        {151, 133, 1239, 1238}, {151, 134, 1237, 1236},
    };
    for (const Binding& b : bindings) {
        const DialogTemplate& d = *FindDialogTemplate(b.dialog);
        const ControlTemplate* field = Find(d, b.field);
        const ControlTemplate* label = Find(d, b.label);
        ASSERT_TRUE(field && label) << b.dialog << " tag " << b.tag;
        EXPECT_EQ(label->kind, CtlKind::Static) << Where(d, *label);
        const bool fieldKind =
            b.tag == 10 ? field->kind == CtlKind::ComboBox && (field->style & CtlDropDownList)
                        : field->kind == CtlKind::Edit && !(field->style & CtlMultiLine) &&
                              !(field->style & CtlReadOnly) && (field->style & CtlBorder);
        EXPECT_TRUE(fieldKind) << Where(d, *field);

        const ControlTemplate& l = *label;
        const ControlTemplate& f = *field;
        const bool beside = l.x + l.w <= f.x && l.y < f.y + f.h && f.y < l.y + l.h;
        const bool above = l.y + l.h <= f.y && f.y - (l.y + l.h) <= 4 && l.x < f.x + f.w &&
                           f.x < l.x + l.w;
        EXPECT_TRUE(beside || above) << Where(d, l) << " is not next to its field";
        ExpectRoomFor(d, l, b.tag);
    }
}

// --- The letter on the first page ---

std::vector<std::string> Split(const std::string& s, const std::string& sep)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = s.find(sep, from)) != std::string::npos; from = at + sep.size())
        out.push_back(s.substr(from, at - from));
    out.push_back(s.substr(from));
    return out;
}

TEST(Letter, IsWindows1250WithCrLfInSevenBlocksNamingTheOffice)
{
    const std::string source = __FILE__;
    const std::string bytes =
        ReadFile(source.substr(0, source.rfind('/')) + "/../res/letter_kt.txt");
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_LT(bytes.size(), 1500u);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool bareLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
        const bool bareCr = bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        EXPECT_FALSE(bareLf || bareCr) << "line end at " << i;
    }
    std::string utf8;
    ASSERT_TRUE(cp1250::ToUtf8(bytes, utf8).ok);
    EXPECT_NE(utf8.find("šéfredaktor"), std::string::npos);

    std::string body = bytes;
    while (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2);
    const std::vector<std::string> blocks = Split(body, "\r\n\r\n");
    ASSERT_EQ(blocks.size(), 7u);
    for (const std::string& block : blocks)
        EXPECT_FALSE(block.empty() || block.rfind("\r\n", 0) == 0) << "empty line";

    // The two address blocks repeat the office's values line by line.
    const std::vector<std::string> post = Split(blocks[4], "\r\n");
    ASSERT_EQ(post.size(), 4u);
    EXPECT_EQ(post[1], cp1250::Literal(kOfficeName));
    EXPECT_EQ(post[2], cp1250::Literal(kOfficeStreet));
    EXPECT_EQ(post[3], cp1250::Literal(kOfficeTown));
    const std::vector<std::string> mail = Split(blocks[5], "\r\n");
    ASSERT_EQ(mail.size(), 2u);
    EXPECT_EQ(mail[1], cp1250::Literal(kOfficeEmail));
}

} // namespace
