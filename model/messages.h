#pragma once
// The message functions through which the core and the pages reach the user.
// They all go through one replaceable host: the GUI installs its Qt host,
// tests install a scripted one. Texts are Windows-1250.

#include <string>

// Message box styles and answers, as the pages use them.
enum : unsigned {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONHAND = 0x10,        // stop icon
    MB_ICONEXCLAMATION = 0x30, // exclamation icon
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IMessageHost {
public:
    virtual ~IMessageHost() = default;

    // The application message box: text, icon style | button style. Returns
    // IDOK, IDYES or IDNO (closing a Yes/No box counts as IDNO).
    virtual int MessageBox(const std::string& text, unsigned style) = 0;

    // The open-file dialog: `filter` holds pairs of description and pattern,
    // each ended by a zero byte (Windows-1250). The folder must exist, the
    // file need not. `path` comes in with the file to propose (empty: none),
    // file system bytes like the result. Returns false on cancel; otherwise
    // the chosen path as the file system names it (UTF-8 bytes, never
    // Windows-1250).
    virtual bool OpenFileName(std::string& path, const std::string& title,
                              const std::string& filter) = 0;

    // The save dialog: `path` holds the proposal (file system bytes) and
    // receives the choice, which the user has confirmed if it exists.
    // Returns false on cancel. A host without one cancels.
    virtual bool SaveFileName(std::string& path, const std::string& title,
                              const std::string& filter)
    {
        (void)path, (void)title, (void)filter;
        return false;
    }
};

// A host for runs without a user (tools, benchmarks, fuzzing): shows
// nothing, answers every question with `answer`, cancels every file dialog.
class SilentMessageHost : public IMessageHost {
public:
    explicit SilentMessageHost(int answer = IDNO) : m_answer(answer) {}
    int MessageBox(const std::string&, unsigned style) override
    {
        return (style & 0x0F) == MB_YESNO ? m_answer : IDOK;
    }
    bool OpenFileName(std::string&, const std::string&, const std::string&) override
    {
        return false;
    }

private:
    int m_answer;
};

// Installs the host (nullptr: none) and returns the previous one. Without a
// host a message goes to standard error and a question is answered No.
IMessageHost* SetMessageHost(IMessageHost* host);
IMessageHost* GetMessageHost();

// The one message box call of the program.
int AppMessageBox(const std::string& text, unsigned style);

// String-table text by id, or "Load string error ..." for an unknown id.
void LoadText(std::string& text, int id);
std::string LoadText(int id);

// Yes/No box with the given icon flags; true only for Yes.
bool AskYesNo(int id, unsigned flags);
// OK box, default icon.
void ShowMessage(int id);

// Why a file could not be written or opened, for the second line of a file
// error's message (Windows-1250).
std::string FileErrorReason(int error);
// A file error's message: the string-table text of `id`, and on a second line
// the file's name and the reason (none when `error` is 0).
std::string FileErrorText(int id, const std::string& path, int error);

// The longest path name the program takes, in characters as shown: the
// open-file dialog's buffer, whose last place holds the terminating zero.
inline constexpr int kMaxPathChars = 260;

// Open-file dialog, proposing the file `start` (its folder and name) when
// given. `result` is emptied first; on OK it holds the path, with `defExt`
// (".BIL", ".TXT") appended when the name has no extension or ends in a dot.
// Cancel, failure or a path that does not fit the dialog's buffer: false,
// `result` empty.
bool BrowseFileName(std::string& result, const std::string& title,
                    const std::string& filter, const std::string& defExt,
                    const std::string& start = {});
// The file `path` with `ext` (".pdf") for its extension, beside it: the part
// from the last dot of its name on is replaced, unless the dot begins the
// name; a name without one gets `ext` appended.
std::string WithExtension(const std::string& path, const std::string& ext);
// A name as a file dialog's choice is taken: false when it does not fit the
// dialog's buffer; otherwise `result` is the name, with `defExt` appended
// when it has no extension or ends in a dot.
bool TakeFileName(const std::string& chosen, const std::string& defExt, std::string& result);
// Save dialog proposing `result`. On OK `result` holds the chosen path, with
// `defExt` appended as above; cancel, failure or a path too long: false,
// `result` as proposed.
bool SaveFileName(std::string& result, const std::string& title, const std::string& filter,
                  const std::string& defExt);
