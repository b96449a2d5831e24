#pragma once
// One statement item: a labelled value. All texts are Windows-1250 bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fileio {
class Reader;
}

// Bounds against hostile statement files. No statement text comes near a few
// megabytes; these keep any file's load within a second and within memory,
// whatever its length fields claim.
inline constexpr std::int32_t kMaxTextLength = 16 << 20;  // one record's text
inline constexpr std::size_t kMaxStatementBytes = 64 << 20; // the whole file is read up to here

// The edit-control object of an item. In the core it carries the item's mark;
// the GUI attaches it to the line edit that shows the item and paints by mark.
class CUzMarkEdit {
public:
    enum Mark : std::int32_t { MarkNone = 0, MarkAddend = 1, MarkSum = 2 };

    std::int32_t m_nMark = MarkNone;
};

class CUzItemBase {
public:
    CUzItemBase(std::string label, std::int32_t page);

    // Empty text and number 0; label, page, control and limit stay.
    void Clear();

    // One record of the statement file (see document.h).
    void Write(std::string& out, std::int32_t tag) const;
    bool Read(fileio::Reader& in, std::int32_t expectedTag);

    std::string m_strValue;
    std::int32_t m_nNumber = 0;
    std::int32_t m_nPage;
    std::string m_strLabel;
};

class CUzItem : public CUzItemBase {
public:
    CUzItem(std::string label, std::int32_t page, std::int32_t maxLen);

    CUzMarkEdit m_edit;
    std::int32_t m_nMaxLen; // characters (= Windows-1250 bytes); -1: no limit
};
