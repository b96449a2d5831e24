#pragma once
// Drafts of the statement being edited, kept in the user's state folder
// ($XDG_STATE_HOME/bil, by default ~/.local/state/bil) whenever a page is
// left, so that a crash, a kill or a power cut loses no more than the page on
// screen. One draft per statement path, named from a hash of that path.
//
// A draft file: the magic "BILDRAF1"; the statement's absolute path (int32
// length, 1 to 4096, then its bytes); the time it was written (int64
// seconds); the statement file's identity when it was loaded (int32 exists,
// 0 or 1; uint64 device; uint64 inode; int64 size; int64 modification time in
// ns); then the statement file's own records. Integers little-endian.
//
// A running Bil holds a lock on its draft (a lock file beside it, held
// open: a draft is replaced by renaming, so a lock on the draft itself would
// not last), so that a second Bil never offers or overwrites it.
//
// The folder is the user's own: made 0700, and used only when it is a real
// folder of the user's (then made 0700); otherwise drafts are off for the
// session and the user is told once why. Nothing in it is followed through
// a link.

#include <string>

class CUzDocument;

// The folder of the drafts; empty when there is no home folder to put it in.
std::string DraftFolder();
// The draft file of a statement path.
std::string DraftFileFor(const std::string& statementPath);

class CUzDraft {
public:
    CUzDraft() = default;
    // Lets go of the draft and keeps it, as a crash does.
    ~CUzDraft();
    CUzDraft(const CUzDraft&) = delete;
    CUzDraft& operator=(const CUzDraft&) = delete;

    // Offers the drafts no running Bil holds, one after another, until the
    // user restores one into `doc`: its values, its path and the statement
    // file's identity. True then, and this is that statement's draft from
    // now on. Declined drafts are removed, damaged ones too after the user
    // is told; those not reached wait for the next start.
    bool Offer(CUzDocument& doc);
    // The statement `doc` has been opened: its draft is held from now on,
    // and one waiting is offered as above. When another Bil holds it, the
    // user is told that this window keeps no draft of it.
    bool Open(CUzDocument& doc);
    // Writes `doc` as the draft of its statement path; a statement loaded
    // since the last one starts a draft of its own. False when no draft was
    // written (drafts off, another Bil holds it, a write error; the user is
    // told once why).
    bool Write(const CUzDocument& doc);
    // The statement was finished or given up: its draft is removed.
    void Discard();
    // True while this one holds the draft of the statement `path`.
    bool Holds(const std::string& path) const;

private:
    enum class Lock { Held, Busy, Failed };
    Lock Hold(const std::string& file, int& error);
    void Unlock();
    // True when the folder may hold drafts; a missing one is made when
    // `create`. Tells the user once when drafts are off.
    bool FolderUsable(bool create);
    // Holds the statement's draft; tells the user why not.
    bool HoldFor(const std::string& path);
    // Offers the draft this one holds; true when it was restored.
    bool OfferHeld(CUzDocument& doc);
    void TellOnce(const std::string& text);

    enum class Folder { Unchecked, Usable, Off };
    Folder m_folder = Folder::Unchecked;
    bool m_told = false;   // drafts off or a write failed: said once
    std::string m_busy;    // the draft another Bil holds, said once
    std::string m_file;    // the draft locked, or empty
    int m_lock = -1;       // the lock file, held open
    std::string m_written; // what it holds, but for the time
};
