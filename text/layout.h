#pragma once
// The text file's bytes from the statement text (CUzDocument::BuildText).

#include <string>
#include <string_view>

// The text as written to the text file: unchanged, or with `oneTab` each run
// of TABs written as one TAB.
std::string TextFileBytes(std::string_view text, bool oneTab);
