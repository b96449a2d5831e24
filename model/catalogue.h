#pragma once
// The fixed catalogue of the statement: label, page code and limit per tag.

#include <cstdint>
#include <string_view>

struct CatalogueEntry {
    std::string_view label; // UTF-8; the statement holds it in Windows-1250
    std::int32_t page;
    std::int32_t maxLen;    // -1: no limit
};

// Entry of a tag, 1 to 134.
const CatalogueEntry& CatalogueAt(int tag);
