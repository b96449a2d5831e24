#include "model/document.h"

#include "model/fileio.h"
#include "model/messages.h"

#include <cerrno>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CUzDocument g_doc;

namespace {
constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR;
} // namespace

CUzDocument::CUzDocument()
{
    Reset();
}

void CUzDocument::Reset()
{
    m_strPath.clear();
    m_nError = FileErrNone;
}

bool CUzDocument::Load()
{
    m_data.ClearValues();
    m_data.ClearMarks();
    if (m_strPath.empty()) {
        ShowMessage(10003);
    } else if (access(m_strPath.c_str(), R_OK | W_OK) == 0) {
        // Not blocking: a FIFO must be refused, not waited on.
        int fd = open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            m_nError = FileErrOpen;
        } else if (!m_data.ReadItems(fd)) {
            m_nError = FileErrRead;
            close(fd);
        } else {
            close(fd);
            return true;
        }
    } else if (errno == EACCES) {
        ShowMessage(10004);
    } else if (CanCreate()) {
        return true;
    } else if (m_nError == FileErrNone) {
        ShowMessage(10005);
    }
    m_data.ClearValues();
    return false;
}

bool CUzDocument::CanCreate()
{
    int fd = open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        return false;
    close(fd);
    if (unlink(m_strPath.c_str()) == 0)
        return true;
    m_nError = FileErrDelete;
    return false;
}

bool CUzDocument::Save()
{
    std::string bytes;
    try {
        m_data.WriteItems(bytes);
    } catch (const std::bad_alloc&) {
        m_nError = FileErrWrite;
        return false;
    }
    switch (fileio::ReplaceFile(m_strPath, bytes)) {
    case fileio::WriteResult::Ok:
        return true;
    case fileio::WriteResult::OpenFailed:
        m_nError = FileErrOpen;
        return false;
    case fileio::WriteResult::WriteFailed:
        break;
    }
    m_nError = FileErrWrite;
    return false;
}

void CUzDocument::ShowFileError()
{
    static constexpr struct {
        int id;
        unsigned style;
    } kReports[] = {
        {0, 0},
        {10006, MB_ICONHAND},
        {10007, MB_ICONHAND},
        {10008, MB_ICONHAND},
        {10009, MB_ICONEXCLAMATION},
        {10010, MB_ICONHAND},
    };
    if (m_nError == FileErrNone)
        return;
    if (m_nError > FileErrNone && m_nError <= FileErrWrite) {
        const auto& r = kReports[m_nError];
        AppMessageBox(LoadText(r.id), r.style | MB_OK);
    }
    m_nError = FileErrNone;
}
