#include "model/document.h"

#include "model/cp1250.h"
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
        switch (ReadStatementFile(m_strPath, m_data, &m_identity)) {
        case ReadResult::Ok:
            return true;
        case ReadResult::Damaged:
            m_nError = FileErrRead;
            break;
        default:
            m_nError = FileErrOpen;
            break;
        }
    } else if (errno == EACCES) {
        ShowMessage(10004);
    } else if (CanCreate()) {
        m_identity = fileio::FileIdentity{};
        return true;
    } else if (m_nError == FileErrNone) {
        ShowMessage(10005);
    }
    m_data.ClearValues();
    return false;
}

ReadResult ReadStatementFile(const std::string& path, CUzData& data,
                             fileio::FileIdentity* identity)
{
    data.ClearValues();
    data.ClearMarks();
    // Not blocking: a FIFO must be refused, not waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            return ReadResult::Missing;
        case EACCES:
        case EPERM:
            return ReadResult::Denied;
        case ELOOP:
            return ReadResult::Damaged;
        default:
            return ReadResult::OpenFailed;
        }
    }
    const bool ok = data.ReadItems(fd);
    if (ok && identity)
        *identity = fileio::IdentifyOpenFile(fd);
    close(fd);
    if (ok)
        return ReadResult::Ok;
    data.ClearValues();
    return ReadResult::Damaged;
}

std::string ReadResultText(ReadResult result)
{
    switch (result) {
    case ReadResult::Ok:
        return {};
    case ReadResult::Missing:
        return cp1250::Literal("Soubor neexistuje.");
    case ReadResult::Denied:
        return LoadText(10004);
    case ReadResult::OpenFailed:
        return LoadText(10006);
    case ReadResult::Damaged:
        break;
    }
    return LoadText(10009);
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
        m_nErrno = ENOMEM;
        return false;
    }
    switch (fileio::ReplaceFile(m_strPath, bytes, &m_nErrno)) {
    case fileio::WriteResult::Ok:
        m_identity = fileio::IdentifyFile(m_strPath);
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
        AppMessageBox(FileErrorText(r.id, m_strPath, m_nErrno), r.style | MB_OK);
    }
    m_nError = FileErrNone;
    m_nErrno = 0;
}
