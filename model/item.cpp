#include "model/item.h"

#include "model/fileio.h"

#include <new>
#include <utility>

CUzItemBase::CUzItemBase(std::string label, std::int32_t page)
    : m_nPage(page), m_strLabel(std::move(label))
{
}

void CUzItemBase::Clear()
{
    m_strValue.clear();
    m_nNumber = 0;
}

void CUzItemBase::Write(std::string& out, std::int32_t tag) const
{
    fileio::AppendInt32(out, tag);
    fileio::AppendInt32(out, static_cast<std::int32_t>(m_strValue.size()));
    out += m_strValue;
    fileio::AppendInt32(out, m_nNumber);
}

bool CUzItemBase::Read(fileio::Reader& in, std::int32_t expectedTag)
{
    std::int32_t tag = 0;
    std::int32_t length = 0;
    bool ok = in.ReadInt32(tag) && tag == expectedTag && in.ReadInt32(length);
    // A length beyond the file's end or the sane bound is a bad record, found
    // before any memory is asked for. A zero byte inside ends the text.
    if (ok && length > 0) {
        try {
            ok = length <= kMaxTextLength && in.ReadText(static_cast<std::uint64_t>(length), m_strValue);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (ok)
        ok = in.ReadInt32(m_nNumber);
    if (!ok)
        Clear();
    return ok;
}

CUzItem::CUzItem(std::string label, std::int32_t page, std::int32_t maxLen)
    : CUzItemBase(std::move(label), page), m_nMaxLen(maxLen)
{
}
