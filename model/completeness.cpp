#include "model/data.h"
#include "model/messages.h"

namespace {
constexpr int kHeaderRequired[] = {1, 3, 6, 7, 9, 10};
constexpr int kOrdererRequired[] = {123, 126, 131, 132};
} // namespace

bool CUzData::CheckHeader()
{
    // Blanks count as filled: only an empty text is missing.
    for (int tag : kHeaderRequired)
        if (Item(tag).m_strValue.empty())
            return false;
    if (Item(2).m_nNumber == 0 && !AskYesNo(10025, MB_ICONEXCLAMATION))
        return false;
    return Item(2).m_nNumber >= 0;
}

bool CUzData::CheckOrderer()
{
    for (int tag : kOrdererRequired)
        if (Item(tag).m_strValue.empty())
            return false;
    if (Item(128).m_nNumber == 0 && !AskYesNo(10025, MB_ICONEXCLAMATION))
        return false;
    if (Item(129).m_strValue.empty() && !AskYesNo(10026, MB_ICONEXCLAMATION))
        return false;
    return Item(128).m_nNumber >= 0;
}

void CUzData::CopyHeaderToOrderer()
{
    Item(123).m_strValue = Item(1).m_strValue;
    Item(125).m_strValue = Item(4).m_strValue;
    Item(126).m_strValue = Item(3).m_strValue;
    Item(127).m_strValue = Item(5).m_strValue;
    Item(128).m_nNumber = Item(2).m_nNumber;
}
