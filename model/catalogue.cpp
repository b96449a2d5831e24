#include "model/catalogue.h"

#include "model/data.h"

#include <array>
#include <cstdlib>

namespace {

struct Row {
    std::string_view label;
    std::int32_t page;
    std::int32_t maxLen;
    bool pair; // a figure line: current year, then previous year
};

constexpr Row kRows[] = {
    // Header
    {"Obchodní jméno:", PageHlava, 255, false},
    {"IČO:", PageHlava, 8, false},
    {"Obec:", PageHlava, 50, false},
    {"Ulice:", PageHlava, 50, false},
    {"PSČ ", PageHlava, 6, false},
    {"zveřejňuje podle $20 zák. č. 563/91 sb. hlavní údaje z účetní závěrky za rok: ", PageHlava, 30, false},
    {"Auditor (Obchodní jméno):", PageHlava, 255, false},
    {"Auditor (Číslo oprávnění):", PageHlava, 20, false},
    {"Datum auditu:", PageHlava, 50, false},
    {"Výrok auditora:", PageHlava, -1, false},
    // Balance sheet, assets
    {"Aktiva celkem", PageAktiva, 15, true},
    {"Pohledávky za upsaný vl. kapitál (A)", PageAktiva, 15, true},
    {"Stálá aktiva (B)", PageAktiva, 15, true},
    {"  dlouhodobý nehmotný majetek (B.I.)", PageAktiva, 15, true},
    {"  dlouhodobý hmotný majetek (B.II.)", PageAktiva, 15, true},
    {"  dlouhodobý finanční majetek (B.III.)", PageAktiva, 15, true},
    {"    z toho: podíl. cen. papíry a vkl. v podn. s rozhod. vlivem (B.III.1.)", PageAktiva, 15, true},
    {"Oběžná aktiva (C)", PageAktiva, 15, true},
    {"  zásoby (C.I.)", PageAktiva, 15, true},
    {"  dlouhodobé pohledávky (C.II.)", PageAktiva, 15, true},
    {"  krátkodobé pohledávky (C.III.)", PageAktiva, 15, true},
    {"  finanční majetek (C.IV.)", PageAktiva, 15, true},
    {"Ostatní aktiva (D)", PageAktiva, 15, true},
    // Balance sheet, liabilities
    {"Pasiva celkem", PagePasiva, 15, true},
    {"Vlastní kapitál (A)", PagePasiva, 15, true},
    {"  základní kapitál (A.I.)", PagePasiva, 15, true},
    {"    z toho: zákl. kapitál zapsaný v OR", PagePasiva, 15, true},
    {"  kapitálové fondy (A.II.)", PagePasiva, 15, true},
    {"  fondy tvořené ze zisku (A.III.)", PagePasiva, 15, true},
    {"  hosp. výsledek minulých let (A.IV.)", PagePasiva, 15, true},
    {"  hosp. výsledek účetního období (A.V.)", PagePasiva, 15, true},
    {"Cizí zdroje (B)", PagePasiva, 15, true},
    {"  rezervy (B.I.)", PagePasiva, 15, true},
    {"  dlouhodobé závazky (B.II.)", PagePasiva, 15, true},
    {"  krátkodobé závazky (B.III.)", PagePasiva, 15, true},
    {"  bankovní úvěry a výpomoci (B.IV.)", PagePasiva, 15, true},
    {"    z toho: dlouhodobé bankovní úvěry (B.IV.1.)", PagePasiva, 15, true},
    {"Ostatní pasiva (C)", PagePasiva, 15, true},
    // Profit and loss, first part
    {"Výkon a prodej zboží (I+II)", PageVysledky1, 15, true},
    {"  z toho: tržby za prodej vl. výr., služeb a zboží (I+II.1)", PageVysledky1, 15, true},
    {"  Změna stavu vnitr. zás. vl. výroby (II.2)", PageVysledky1, 15, true},
    {"  Aktivace (II.3.)", PageVysledky1, 15, true},
    {"Výkon. spotřeba a náklady na prod. zboží (A+B)", PageVysledky1, 15, true},
    {"Přidaná hodnota (+)", PageVysledky1, 15, true},
    {"Osobní náklady (C)", PageVysledky1, 15, true},
    {"Odpisy dlouhodobého nehmotného a hmotného majetku (E)", PageVysledky1, 15, true},
    {"Zúčtování rezerv, opr. položek a čes. rozl. provozních výnosů (IV+V)", PageVysledky1, 15, true},
    {"Tvorba rezev, opr. položek a čas. rozl. provozních nákladů (G+H)", PageVysledky1, 15, true},
    {"Jiné provozní výnosy (III+VI+VII)", PageVysledky1, 15, true},
    {"Jiné provozní náklady (D+F+I+J)", PageVysledky1, 15, true},
    // Profit and loss, second part
    {"Provozní hosp. výsledek (*)", PageVysledky2, 15, true},
    {"Zúčtování rezerv a opr. položek do finančních výnosů (XI+XII)", PageVysledky2, 15, true},
    {"Tvorba rezerv a opravných položek na finanční náklady (L+M)", PageVysledky2, 15, true},
    {"Jiné finanční výnosy (VIII+IX+X+XIII+XIV+XV)", PageVysledky2, 15, true},
    {"Jiné finanční náklady (K+N+O+P+R)", PageVysledky2, 15, true},
    {"Hosp. výsledek z fina. operací včetně daně z příjmu z běžné čin.", PageVysledky2, 15, true},
    {"Hospodářský výsledek za běžnou činnost (**)", PageVysledky2, 15, true},
    {"Mimořádné výnosy (XVI)", PageVysledky2, 15, true},
    {"Mimořádné náklady (S+T)", PageVysledky2, 15, true},
    {"Mimořádný hosp. výsledek (*)", PageVysledky2, 15, true},
    {"Hosp. výsledek za účet. období (***)", PageVysledky2, 15, true},
    // Closing data: all text, the amounts among them included
    {"Místo uložení výroční zprávy:", PageEnd, 255, false},
    {"Dceřiné podniky (název a sídlo):", PageEnd, -1, false},
    {"Osoby s více než 20% podílem na ZK (+ výše vkladu v %):", PageEnd, 255, false},
    {"** Peněž. tok z provozní činnosti:", PageEnd, 20, false},
    {"** Peněž. tok z investiční činnosti:", PageEnd, 20, false},
    {"** Peněž. tok z finanční činnosti:", PageEnd, 20, false},
    {"Pohledávky 180 dnů po lhůtě splatnosti:", PageEnd, 20, false},
    {"Závazky 180 dnů po lhůtě splatnosti:", PageEnd, 20, false},
    {"HIM zatížený zástav. právem nebo věc. břemeny:", PageEnd, 20, false},
    {"Poznámka:", PageEnd, -1, false},
    // Orderer (invoice) data
    {"Zadavatel: ", PageObj, 255, false},
    {"Útvar: ", PageObj, 255, false},
    {"Ulice: ", PageObj, 50, false},
    {"Obec: ", PageObj, 50, false},
    {"Psč: ", PageObj, 6, false},
    {"IČO: ", PageObj, 8, false},
    {"DIČ: ", PageObj, 12, false},
    {"Obj. (datum): ", PageObj, 30, false},
    {"Osoba: ", PageObj, 50, false},
    {"Telefon: ", PageObj, 30, false},
    {"Fax: ", PageObj, 30, false},
    {"E-mail: ", PageObj, 30, false},
};

constexpr std::array<CatalogueEntry, kItemCount> Expand()
{
    std::array<CatalogueEntry, kItemCount> out{};
    std::size_t n = 0;
    for (const Row& r : kRows) {
        out[n++] = {r.label, r.page, r.maxLen};
        if (r.pair)
            out[n++] = {r.label, r.page, r.maxLen};
    }
    return out;
}

constexpr std::array<CatalogueEntry, kItemCount> kCatalogue = Expand();

constexpr int CountItems()
{
    int n = 0;
    for (const Row& r : kRows)
        n += r.pair ? 2 : 1;
    return n;
}
static_assert(CountItems() == kItemCount, "the catalogue holds 134 items");

} // namespace

const CatalogueEntry& CatalogueAt(int tag)
{
    if (tag < 1 || tag > kItemCount)
        std::abort();
    return kCatalogue[static_cast<std::size_t>(tag - 1)];
}
