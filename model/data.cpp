#include "model/data.h"

#include "model/catalogue.h"
#include "model/cp1250.h"
#include "model/fileio.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void BadTag(int tag)
{
    std::fprintf(stderr, "bil: no statement item has tag %d\n", tag);
    std::abort();
}

} // namespace

CUzData::CUzData()
    : m_opinion(cp1250::Literal(CatalogueAt(kOpinionTag).label), CatalogueAt(kOpinionTag).page)
{
    m_items.reserve(kItemCount - 1);
    for (int tag = 1; tag <= kItemCount; ++tag) {
        if (tag == kOpinionTag)
            continue;
        const CatalogueEntry& e = CatalogueAt(tag);
        m_items.emplace_back(cp1250::Literal(e.label), e.page, e.maxLen);
    }
    // m_items is complete: pointers into it are taken only now.
    auto it = m_items.begin();
    for (int tag = 1; tag <= kItemCount; ++tag)
        m_byTag[static_cast<std::size_t>(tag)] = tag == kOpinionTag ? &m_opinion : &*it++;
    Reset();
    BuildRuleTables();
}

CUzData::~CUzData() = default;

CUzItemBase& CUzData::Item(int tag)
{
    if (tag < 1 || tag > kItemCount)
        BadTag(tag);
    return *m_byTag[static_cast<std::size_t>(tag)];
}

const CUzItemBase& CUzData::Item(int tag) const
{
    return const_cast<CUzData*>(this)->Item(tag);
}

CUzItem& CUzData::EditItem(int tag)
{
    if (tag == kOpinionTag)
        BadTag(tag);
    return static_cast<CUzItem&>(Item(tag));
}

const CUzItem& CUzData::EditItem(int tag) const
{
    return const_cast<CUzData*>(this)->EditItem(tag);
}

void CUzData::ClearValues()
{
    for (int tag = 1; tag <= kItemCount; ++tag)
        Item(tag).Clear();
}

void CUzData::ClearMarks()
{
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
        EditItem(tag).m_edit.m_nMark = CUzMarkEdit::MarkNone;
}

void CUzData::ClearErrors()
{
    for (CUzFailedRules& list : m_errors)
        list = CUzFailedRules{};
}

void CUzData::Reset()
{
    ClearValues();
    ClearErrors();
}

void CUzData::WriteItems(std::string& out) const
{
    for (int tag = 1; tag <= kItemCount; ++tag)
        Item(tag).Write(out, tag);
}

bool CUzData::ReadItems(int fd)
{
    fileio::Reader in(fd, kMaxStatementBytes);
    for (int tag = 1; tag <= kItemCount; ++tag) {
        if (!Item(tag).Read(in, tag)) {
            ClearValues();
            return false;
        }
    }
    return true;
}
