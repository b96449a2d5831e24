#include "res/strings.h"

namespace {

struct Entry {
    int id;
    const char* text; // UTF-8
};

// Only the ids the program shows; the others have no text.
constexpr Entry kEntries[] = {
    {10000, "Zadejte jméno souboru. Pro snažší identifikaci doporučujeme zadat jako jméno souboru "
            "Vaše IČO. Pokud soubor existuje, budou údaje UZ načteny z tohoto souboru."},
    {10001, "Zadejte jméno textového souboru, kam chcete uložit text UZ pro další úpravu a "
            "následné vytištění. Doporučujeme oddělit sloupce UZ pouze jedním tabelátorem "
            "( volba \"jen jeden TAB\")."},
    {10002, "Bil - Účetní závěrka pro KT"},
    {10003, "Jméno souboru není zadáno."},
    {10004, "Přístup k souboru byl odmítnut."},
    {10005, "Soubor nelze vytvořit. Zkontrolujte jméno souboru."},
    {10006, "Chyba otevření souboru"},
    {10007, "Chyba uzavření souboru"},
    {10008, "Nepodařilo se odstranit dočasný soubor"},
    {10009, "Chyba čtení ze souboru."},
    {10010, "Chyba zápisu do souboru"},
    {10011, "Položky hlavičky nejsou řádně vyplněny."},
    {10012, "Pozor, tento krok zruší všechny provedené změny.\nChcete se vrátit a vybrat nový soubor ?"},
    {10018, "Nedostatek paměti."},
    {10019, "Účetní závěrka obsahuje nesrovnalosti, které je nutné\npřed odesláním UZ do redakce KT  "
            "opravit.\n\nOpravdu chcete přerušit editaci UZ ?"},
    {10020, "Účetní závěrka obsahuje nesrovnalosti, které je třeba opravit."},
    {10022, "Textovy soubor UZ a dokument UZ\nnemohou mít stejná jména"},
    {10024, "Text UZ je prázdný."},
    {10025, "Položka IČO není vyplněna. Chcete pokračovat ?"},
    {10026, "Položka DIČ není vyplněna. Chcete pokračovat ?"},
    {10027, "Položky objednavatele nejsou řádně vyplněny"},
    {10028, "Textový soubor existuje. Přepsat ?"},
    {10029, "Editace UZ nebyla dokončena.\nChcete opravdu ukončit aplikaci ?"},
    {10030, "Jméno souboru (Soubor nemusí existovat)"},
};

} // namespace

const char* StringTableUtf8(int id)
{
    for (const Entry& e : kEntries)
        if (e.id == id)
            return e.text;
    return nullptr;
}
