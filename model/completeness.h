#pragma once
// Completeness of the header and the orderer data, listed without asking:
// every gap the wizard would ask about or refuse on leaving the form.

#include <cstdint>
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
