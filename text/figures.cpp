#include "text/figures.h"

std::string FigureText(std::int64_t n)
{
    // Unsigned, so that the most negative value has a magnitude too.
    const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : n;
    std::string digits = std::to_string(magnitude);
    for (std::size_t at = digits.size(); at > 3;) {
        at -= 3;
        digits.insert(at, "\u00A0");
    }
    return n < 0 ? "\u2212" + digits : digits;
}
