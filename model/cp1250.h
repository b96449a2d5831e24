#pragma once
// Conversion between UTF-8 and Windows-1250, the encoding of every text the
// statement holds. One place for it, over glibc iconv.

#include <cstddef>
#include <string>
#include <string_view>

namespace cp1250 {

// Result of a conversion: ok, or the position (in characters of the input)
// of the first character that cannot be converted.
struct Result {
    bool ok = true;
    std::size_t badChar = 0;
};

// UTF-8 -> Windows-1250. A character that Windows-1250 cannot hold (or a
// malformed UTF-8 sequence) fails the whole conversion; `out` is then empty.
Result FromUtf8(std::string_view utf8, std::string& out);

// UTF-8 -> Windows-1250 for showing: every character that Windows-1250
// cannot hold, and every malformed sequence, becomes '?'.
std::string FromUtf8Lossy(std::string_view utf8);

// Windows-1250 -> UTF-8. The bytes 0x81 0x83 0x88 0x90 0x98 are undefined in
// Windows-1250 and fail the conversion; `out` is then empty.
Result ToUtf8(std::string_view text, std::string& out);

// Characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);

// A UTF-8 literal of the program's own (labels, captions, string table) in
// Windows-1250. Aborts on a literal that does not convert: that is a fault in
// the source, and a test converts every literal.
std::string Literal(std::string_view utf8);

} // namespace cp1250
