#include "model/completeness.h"

#include "model/data.h"
#include "model/messages.h"
#include "model/opinions.h"

#include <span>

namespace {

// What a form requires; the wizard's checks and the gap list share it.
struct Requirements {
    std::span<const int> texts; // required texts, in the order tested
    int ico;                    // 0 is asked about, negative is refused
    int dic;                    // empty is asked about; 0: the form has none
};

constexpr int kHeaderTexts[] = {1, 3, 6, 7, 9, kOpinionTag};
constexpr int kOrdererTexts[] = {123, 126, 131, 132};

constexpr Requirements kHeader{kHeaderTexts, 2, 0};
constexpr Requirements kOrderer{kOrdererTexts, 128, 129};

// The wizard's check: stops at the first gap, asks about IČO 0 and an empty
// DIČ.
bool Check(const CUzData& d, const Requirements& r)
{
    // Blanks count as filled: only an empty text is missing.
    for (int tag : r.texts)
        if (d.Item(tag).m_strValue.empty())
            return false;
    const std::int32_t ico = d.Item(r.ico).m_nNumber;
    if (ico == 0 && !AskYesNo(10025, MB_ICONEXCLAMATION))
        return false;
    if (r.dic != 0 && d.Item(r.dic).m_strValue.empty() && !AskYesNo(10026, MB_ICONEXCLAMATION))
        return false;
    return ico >= 0;
}

} // namespace

bool CUzData::CheckHeader()
{
    return Check(*this, kHeader);
}

bool CUzData::CheckOrderer()
{
    return Check(*this, kOrderer);
}

std::vector<Gap> ListGaps(const CUzData& d, Form form)
{
    const Requirements& r = form == Form::Header ? kHeader : kOrderer;
    std::vector<Gap> gaps;
    for (int tag : r.texts) {
        // The wizard takes the opinion's text from the entry chosen in its
        // list; what it refuses is a number that chooses none.
        if (tag == kOpinionTag) {
            if (!OpinionText(d.Item(tag).m_nNumber))
                gaps.push_back({GapKind::NoOpinion, tag});
        } else if (d.Item(tag).m_strValue.empty()) {
            gaps.push_back({GapKind::MissingText, tag});
        }
    }
    const std::int32_t ico = d.Item(r.ico).m_nNumber;
    if (ico == 0)
        gaps.push_back({GapKind::IcoZero, r.ico});
    else if (ico < 0)
        gaps.push_back({GapKind::IcoNegative, r.ico});
    else if (!IcoCheckDigitOk(ico))
        gaps.push_back({GapKind::IcoCheckDigit, r.ico});
    if (r.dic != 0 && d.Item(r.dic).m_strValue.empty())
        gaps.push_back({GapKind::DicEmpty, r.dic});
    return gaps;
}

bool IcoCheckDigitOk(std::int32_t ico)
{
    if (ico <= 0 || ico > 99'999'999)
        return false;
    int sum = 0;
    std::int32_t rest = ico / 10; // the first seven digits, last one first
    for (int weight = 2; weight <= 8; ++weight, rest /= 10)
        sum += weight * (rest % 10);
    const int remainder = sum % 11;
    const int check = remainder == 0 ? 1 : remainder == 1 ? 0 : 11 - remainder;
    return ico % 10 == check;
}

void CUzData::CopyHeaderToOrderer()
{
    Item(123).m_strValue = Item(1).m_strValue;
    Item(125).m_strValue = Item(4).m_strValue;
    Item(126).m_strValue = Item(3).m_strValue;
    Item(127).m_strValue = Item(5).m_strValue;
    Item(128).m_nNumber = Item(2).m_nNumber;
}
