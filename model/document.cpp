#include "model/document.h"

#include "model/messages.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CUzDocument g_doc;

namespace {

constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR;

// The folder part of a path, "." when there is none.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

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
        int fd = open(m_strPath.c_str(), O_RDONLY | O_CLOEXEC);
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
    // No name is a file that cannot be opened, not a temporary file in the
    // current folder that then fails to be renamed.
    if (m_strPath.empty()) {
        m_nError = FileErrOpen;
        return false;
    }

    // Write through a link to the file it names, so the link stays a link.
    std::string target = m_strPath;
    struct stat lst;
    if (lstat(m_strPath.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = realpath(m_strPath.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    // A file the user may not write is refused as an open failure, as writing
    // in place would be; the new file must not sneak past its permissions.
    if (exists && (!S_ISREG(old.st_mode) || access(target.c_str(), W_OK) != 0)) {
        m_nError = FileErrOpen;
        return false;
    }

    // Write a temporary file beside the target and put it in place only when
    // every record is on disk, so a failed save leaves the old file whole.
    std::string temp = target + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // No temporary file in that folder: write in place.
        fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
        if (fd < 0) {
            m_nError = FileErrOpen;
            return false;
        }
        if (!m_data.WriteItems(fd)) {
            m_nError = FileErrWrite;
            close(fd);
            return false;
        }
        close(fd);
        return true;
    }

    bool ok = m_data.WriteItems(fd) && fsync(fd) == 0;
    if (ok) {
        if (exists) {
            fchmod(fd, old.st_mode & 07777);
            if (fchown(fd, old.st_uid, old.st_gid) != 0) {
                // Only root may give a file away; the mode is what matters.
            }
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            fchmod(fd, kNewFileMode & ~mask);
        }
    }
    if (close(fd) != 0)
        ok = false;
    if (ok && rename(temp.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok) {
        unlink(temp.c_str());
        m_nError = FileErrWrite;
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
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
