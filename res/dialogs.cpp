#include "res/dialogs.h"

namespace {

constexpr std::uint32_t kReadOnlyField = kField | CtlReadOnly;

constexpr ControlTemplate Frame(int x, int y, int w, int h)
{
    return {kNoId, CtlKind::GroupBox, x, y, w, h, "", CtlNone};
}

// File page.
constexpr ControlTemplate kFile[] = {
    {1008, CtlKind::Button, 347, 197, 21, 12, "...", CtlTabStop | CtlTabLast},
    {1007, CtlKind::Edit, 37, 197, 295, 12, "", kReadOnlyField},
    Label(kNoId, 0, 198, 30, 11, "Soubor:"),
    Label(1006, 0, 175, 367, 17, "Info o souboru", CtlWordWrap),
    {1242, CtlKind::Edit, 0, 0, 367, 166, "",
     CtlMultiLine | CtlReadOnly | CtlBorder | CtlVScroll | CtlWordWrap | CtlTabStop},
};

// Error review page.
constexpr std::uint32_t kRuleList = CtlBorder | CtlVScroll | CtlTabStop | CtlNotify;
constexpr ControlTemplate kErrors[] = {
    Label(1206, 0, 0, 367, 8, "Běžný rok:"),
    {1198, CtlKind::ListBox, 0, 11, 367, 75, "", kRuleList},
    Label(1207, 0, 92, 367, 8, "Minulý rok:"),
    {1199, CtlKind::ListBox, 0, 102, 367, 75, "", kRuleList},
    Label(1208, 0, 179, 367, 10, ""), // the selected rule added up
    Label(kNoId, 0, 191, 367, 18,
          "Vyberte chybu, kterou chcete opravit.  Položky, které se chyby týkají budou "
          "zvýrazněny modře. Součová položka bude zvýrazněna červeně. Program vás nastaví na "
          "stránku, kde se nachází chybná součtová položka.",
          CtlWordWrap),
};

// Text page.
constexpr ControlTemplate kText[] = {
    // The name field and its button stand a little left of where the first
    // layout had them, so that the check box's text has room beside them.
    {1217, CtlKind::Button, 279, 197, 21, 12, "...", CtlTabStop | CtlTabLast},
    {1216, CtlKind::Edit, 28, 197, 247, 12, "", kReadOnlyField},
    Label(kNoId, 0, 200, 24, 9, "Soubor:"),
    {1218, CtlKind::CheckBox, 310, 198, 57, 11, "jen jeden TAB", CtlTabStop},
    Label(1243, 0, 175, 367, 17, "Info o textovém souboru", CtlWordWrap),
    {1212, CtlKind::Edit, 0, 0, 367, 170, "",
     CtlMultiLine | CtlReadOnly | CtlBorder | CtlVScroll | CtlHScroll |
         CtlTabStop},
};

// Header page: a label column 104 units wide (the auditor labels are the
// longest), fields from x 116, rows every 16 units inside two frames. The year
// sentence is too long for the column: it gets two lines, centred on its
// short field.
constexpr ControlTemplate kHlava[] = {
    Frame(0, 0, 367, 96),
    Label(1011, 7, 10, 104, 10, "Obchodní jméno:"),
    Field(1010, 116, 9, 244),
    Label(1012, 7, 26, 104, 10, "IČO: "),
    Field(1013, 116, 25, 56),
    Label(1014, 7, 42, 104, 10, "Ulice: "),
    Field(1015, 116, 41, 244),
    Label(1016, 7, 58, 104, 10, "Obec: "),
    Field(1017, 116, 57, 160),
    Label(1018, 284, 58, 24, 10, "PSČ: "),
    Field(1019, 310, 57, 50),
    Label(1020, 7, 73, 280, 18,
          "zveřejňuje podle §20 zák. č. 563/91 sb. hlavní údaje z účetní závěrky za rok: ",
          CtlWordWrap),
    Field(1021, 296, 76, 64),

    Frame(0, 102, 367, 74),
    Label(1022, 7, 112, 104, 10, "Auditor (Obchodní jméno): "),
    Field(1023, 116, 111, 244),
    Label(1024, 7, 128, 104, 10, "Auditor (číslo oprávnění):"),
    Field(1025, 116, 127, 120),
    Label(1026, 7, 144, 104, 10, "Datum auditu: "),
    Field(1027, 116, 143, 120),
    Label(1029, 7, 160, 104, 10, "Výrok auditora: "),
    // The closed height: the list drops below it.
    {1028, CtlKind::ComboBox, 116, 159, 120, 12, "", CtlTabStop},
};

// Closing data page: three full-width fields with their labels above, a frame
// with two columns of three short fields (labels above, the right column is
// wider for its longer labels), the remark at the bottom.
constexpr ControlTemplate kEnd[] = {
    Label(1192, 0, 0, 367, 10, "Místo uložení výroční zprávy:"),
    Field(1193, 0, 10, 367),
    Label(1194, 0, 26, 367, 10, "Dceřiné podniky (název a sídlo):"),
    Field(1195, 0, 36, 367),
    Label(1200, 0, 52, 367, 10, "Osoby s více než 20% podílem na ZK (+ výše vkladu v %):"),
    Field(1201, 0, 62, 367),

    Frame(0, 79, 367, 88),
    Label(1196, 7, 88, 160, 10, "** Peněž. tok z provozní činnosti:"),
    Field(1197, 7, 98, 100),
    Label(1202, 7, 114, 160, 10, "** Peněž. tok z investiční činnosti:"),
    Field(1203, 7, 124, 100),
    Label(1204, 7, 140, 160, 10, "** Peněž. tok z finanční činnosti:"),
    Field(1205, 7, 150, 100),
    Label(1206, 174, 88, 186, 10, "Pohledávky 180 dnů po lhůtě splatnosti:"),
    Field(1207, 174, 98, 100),
    Label(1208, 174, 114, 186, 10, "Závazky 180 dnů po lhůtě splatnosti:"),
    Field(1209, 174, 124, 100),
    Label(1210, 174, 140, 186, 10, "HIM zatížený zástav. právem nebo věc. břemeny:"),
    Field(1211, 174, 150, 100),

    Label(1212, 0, 172, 367, 10, "Poznámka:"),
    Field(1213, 0, 182, 367),
};

// Orderer page: label column 44 units, fields from x 54; the address and the
// identification rows carry three fields each.
constexpr ControlTemplate kObj[] = {
    Frame(0, 0, 367, 76),
    Label(1219, 7, 10, 44, 10, "Zadavatel: "),
    Field(1221, 54, 9, 306),
    Label(1220, 7, 26, 44, 10, "Útvar: "),
    Field(1011, 54, 25, 306),
    Label(1222, 7, 42, 44, 10, "Ulice: "),
    Field(1223, 54, 41, 120),
    Label(1224, 180, 42, 24, 10, "Obec: "),
    Field(1225, 206, 41, 92),
    Label(1226, 304, 42, 18, 10, "Psč: "),
    Field(1227, 324, 41, 36),
    Label(1228, 7, 58, 44, 10, "IČO: "),
    Field(1229, 54, 57, 52),
    Label(1231, 112, 58, 20, 10, "DIČ: "),
    Field(1230, 134, 57, 70),
    Label(1240, 210, 58, 54, 10, "Obj. (datum): "),
    Field(1242, 266, 57, 94),

    {1241, CtlKind::Button, 280, 80, 80, 14, "Použít údaje z UZ", CtlTabStop},

    Frame(0, 98, 367, 74),
    Label(1232, 7, 108, 44, 10, "Osoba: "),
    Field(1233, 54, 107, 200),
    Label(1234, 7, 124, 44, 10, "Telefon: "),
    Field(1235, 54, 123, 120),
    Label(1238, 7, 140, 44, 10, "Fax: "),
    Field(1239, 54, 139, 120),
    Label(1236, 7, 156, 44, 10, "E-mail: "),
    Field(1237, 54, 155, 200),

    Label(kNoId, 0, 178, 367, 26, kOrdererNote, CtlWordWrap),
};

constexpr DialogTemplate kFixed[] = {
    {IDD_FILE, "Bil - Účetní závěrka pro KT - Soubor", 368, kPageH, kFile},
    {IDD_ERRORS, "Bil - Účetní závěrka pro KT - Kontrola a oprava chyb", 367, kPageH, kErrors},
    {IDD_HLAVA, "Bil - Účetní závěrka pro KT - Hlavička", 367, kPageH, kHlava},
    {IDD_END, "Bil - Účetní závěrka pro KT - Dokončení", 367, kPageH, kEnd},
    {IDD_TEXT, "Bil - Účetní závěrka pro KT - Text", 368, kPageH, kText},
    {IDD_OBJ, "Bil - Účetní závěrka pro KT - Údaje o objednavateli", 367, kPageH, kObj},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& d : kFixed)
        if (d.id == id)
            return &d;
    return nullptr;
}
