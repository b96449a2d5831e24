#pragma once
// The editorial office that receives the statements. The letter on the first
// page (letter_kt.txt) repeats these values: change both together.

inline constexpr const char* kOfficeName = "Redakce KT";
inline constexpr const char* kOfficeStreet = "Vzorová 12";
inline constexpr const char* kOfficeTown = "110 00 Praha 1";
inline constexpr const char* kOfficeEmail = "zaverky@kt.example.cz";
