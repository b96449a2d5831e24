#include "model/opinions.h"

#include "model/cp1250.h"

#include <array>

const std::string* OpinionText(int index)
{
    static const std::array<std::string, kOpinionCount> texts = {
        cp1250::Literal("bez výhrad"),
        cp1250::Literal("s výhradou"),
        cp1250::Literal("záporný výrok"),
        cp1250::Literal("odmítnutí výroku"),
    };
    if (index < 0 || index >= kOpinionCount)
        return nullptr;
    return &texts[static_cast<std::size_t>(index)];
}
