#include "model/completeness.h"

#include "model/cp1250.h"
#include "model/data.h"
#include "model/messages.h"
#include "model/opinions.h"

#include <cstdio>

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

// A positive IČO whose check digit is wrong: go on with it anyway?
bool AskWrongCheckDigit(std::int32_t ico)
{
    char text[96];
    std::snprintf(text, sizeof text,
                  "IČO %08d nemá správnou kontrolní číslici. Chcete pokračovat ?", ico);
    return AppMessageBox(cp1250::Literal(text), MB_ICONEXCLAMATION | MB_YESNO) == IDYES;
}

// The wizard's check: stops at the first gap, asks about IČO 0, a wrong
// check digit and an empty DIČ.
bool Check(const CUzData& d, const Requirements& r, CheckStop* stop)
{
    const auto fail = [stop](int tag, bool message) {
        if (stop)
            *stop = {tag, message};
        return false;
    };
    // Blanks count as filled: only an empty text is missing.
    for (int tag : r.texts)
        if (d.Item(tag).m_strValue.empty())
            return fail(tag, true);
    const std::int32_t ico = d.Item(r.ico).m_nNumber;
    if (ico == 0 && !AskYesNo(10025, MB_ICONEXCLAMATION))
        return fail(r.ico, true);
    // A negative IČO is refused below whatever its digits.
    if (ico > 0 && !IcoCheckDigitOk(ico) && !AskWrongCheckDigit(ico))
        return fail(r.ico, false);
    if (r.dic != 0 && d.Item(r.dic).m_strValue.empty() && !AskYesNo(10026, MB_ICONEXCLAMATION))
        return fail(r.dic, true);
    return ico >= 0 || fail(r.ico, true);
}

const Requirements& RequirementsOf(Form form)
{
    return form == Form::Header ? kHeader : kOrderer;
}

} // namespace

bool CUzData::CheckHeader(CheckStop* stop)
{
    return Check(*this, kHeader, stop);
}

bool CUzData::CheckOrderer(CheckStop* stop)
{
    return Check(*this, kOrderer, stop);
}

std::span<const int> RequiredTexts(Form form)
{
    return RequirementsOf(form).texts;
}

namespace {

// The label without its trailing blanks and colon (Windows-1250).
std::string ShortLabel(const CUzData& d, int tag)
{
    std::string name = d.Item(tag).m_strLabel;
    while (!name.empty() && (name.back() == ' ' || name.back() == ':'))
        name.pop_back();
    return name;
}

} // namespace

std::string FieldName(const CUzData& d, int tag)
{
    std::string name;
    cp1250::ToUtf8(ShortLabel(d, tag), name);
    return name;
}

void ShowMissingField(int id, const CUzData& d, int tag)
{
    AppMessageBox(LoadText(id) + cp1250::Literal("\nChybí: ") + ShortLabel(d, tag), MB_OK);
}

std::vector<Gap> ListGaps(const CUzData& d, Form form)
{
    const Requirements& r = RequirementsOf(form);
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
