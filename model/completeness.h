#pragma once
// Completeness of the header and the orderer data, listed without asking:
// every gap the wizard would ask about or refuse on leaving the form.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CUzData;

enum class Form { Header, Orderer };

enum class GapKind {
    MissingText, // a required text is empty (error)
    IcoZero,     // the IČO is 0: the wizard asks (warning)
    IcoNegative, // the IČO is negative (error)
    DicEmpty,    // the DIČ is empty: the wizard asks (warning)
    NoOpinion,   // item 10's number picks no opinion (error)
    IcoCheckDigit, // the IČO's check digit is wrong: the wizard asks (warning)
};

struct Gap {
    GapKind kind;
    int tag;
};

inline bool IsWarning(GapKind kind)
{
    return kind == GapKind::IcoZero || kind == GapKind::DicEmpty ||
           kind == GapKind::IcoCheckDigit;
}

// True when a positive IČO's last digit checks (weights 8 to 2 over the first
// seven of its eight digits, modulo 11). Over eight digits it is no IČO.
bool IcoCheckDigitOk(std::int32_t ico);

// Every gap of the form, in the order the wizard tests them.
std::vector<Gap> ListGaps(const CUzData& data, Form form);

// Where the wizard's check of a form (CUzData::CheckHeader, CheckOrderer)
// stopped: the field to go back to, and whether the form's message is still
// to be shown (not after the user declined to go on with a wrong IČO).
struct CheckStop {
    int tag = 0;
    bool message = true;
};

// The texts a form requires, in the order they are tested.
std::span<const int> RequiredTexts(Form form);

// An item's label as a field's short name, as the checker prints it: without
// the trailing blanks and colon (UTF-8).
std::string FieldName(const CUzData& data, int tag);

// Message `id` with a second line that names the field: "Chybí: NAME".
void ShowMissingField(int id, const CUzData& data, int tag);
