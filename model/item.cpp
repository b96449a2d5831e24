#include "model/item.h"

#include "model/fileio.h"

#include <cstring>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
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

bool CUzItemBase::Write(int fd, std::int32_t tag) const
{
    if (!fileio::WriteInt32(fd, tag))
        return false;
    const auto length = static_cast<std::int32_t>(m_strValue.size());
    if (!fileio::WriteInt32(fd, length))
        return false;
    if (length > 0 && !fileio::WriteAll(fd, m_strValue.data(), m_strValue.size()))
        return false;
    return fileio::WriteInt32(fd, m_nNumber);
}

namespace {

// Bytes left between the file position and the end of a regular file, or -1
// when the descriptor is not a regular file.
off_t BytesLeft(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    off_t pos = lseek(fd, 0, SEEK_CUR);
    if (pos < 0)
        return -1;
    return st.st_size > pos ? st.st_size - pos : 0;
}

bool ReadText(int fd, std::int32_t length, std::string& value)
{
    // A length beyond the end of the file is a bad record; find it before
    // asking for memory.
    off_t left = BytesLeft(fd);
    if (left >= 0 && static_cast<off_t>(length) > left)
        return false;
    const std::size_t size = static_cast<std::size_t>(length);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]);
    if (!buffer)
        return false;
    if (!fileio::ReadAll(fd, buffer.get(), size))
        return false;
    buffer[size] = '\0';
    // A zero byte inside the stored text ends the text there.
    value.assign(buffer.get(), std::strlen(buffer.get()));
    return true;
}

} // namespace

bool CUzItemBase::Read(int fd, std::int32_t expectedTag)
{
    std::int32_t tag = 0;
    std::int32_t length = 0;
    bool ok = fileio::ReadInt32(fd, tag) && tag == expectedTag && fileio::ReadInt32(fd, length);
    if (ok && length > 0)
        ok = ReadText(fd, length, m_strValue);
    if (ok)
        ok = fileio::ReadInt32(fd, m_nNumber);
    if (!ok)
        Clear();
    return ok;
}

CUzItem::CUzItem(std::string label, std::int32_t page, std::int32_t maxLen)
    : CUzItemBase(std::move(label), page), m_nMaxLen(maxLen)
{
}
