#pragma once
// Data exchange between a page's controls and the values it edits. A refused
// field stops the exchange there: the fields before it have been taken over,
// the prompt has been shown and the field has the focus with its text
// selected. A quiet exchange (taking over for a draft while the user types)
// says nothing and touches no control: a refused field keeps its value and
// the exchange goes on with the next.

#include <cstdint>
#include <string>

class CComboBox;
class CListBox;
class CPropertyPage;
class QWidget;

class CDataExchange {
public:
    CDataExchange(CPropertyPage* page, bool saveAndValidate, bool quiet = false);

    // The control `id` of the page, remembered as the one being exchanged.
    QWidget* PrepareCtrl(int id);
    // Refuses the last edited field with a prompt (UTF-8).
    void Fail(const char* promptUtf8);
    void Fail(const std::string& promptCp1250);
    bool Failed() const { return m_bFailed; }

    bool m_bSaveAndValidate;
    bool m_bQuiet;
    CPropertyPage* m_pDlgWnd;
    QWidget* m_pLastCtrl = nullptr;
    QWidget* m_pLastEdit = nullptr; // the last field whose text was exchanged

    // A quiet exchange: the text last taken over and what it held before,
    // given back when the length check after it refuses it.
    std::string* m_pLastText = nullptr;
    std::string m_lastTextBefore;

private:
    bool m_bFailed = false;
};

// Text of an edit, label, button or check box (Windows-1250). A drop-down
// list gives its selected entry's text when taken over and shows nothing new
// when loaded. Read-only edits are not read back.
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// A path, shown as the file system names it (never through Windows-1250);
// taken over only as far as refusing one longer than `maxChars` characters as
// shown (-1: no limit). The field itself is read-only.
void DDX_FileName(CDataExchange& dx, int id, std::string& path, int maxChars);
// A 32-bit signed integer: optional blanks, an optional sign, digits.
void DDX_Text(CDataExchange& dx, int id, std::int32_t& value);
// Refuses a taken-over text longer than `maxChars` (Windows-1250 characters).
void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maxChars);
// Check box state: 1 ticked, 0 not.
void DDX_Check(CDataExchange& dx, int id, int& value);
void DDX_Control(CDataExchange& dx, int id, CListBox& box);
void DDX_Control(CDataExchange& dx, int id, CComboBox& box);

// Parses the integer rule above; false for anything else or out of range.
bool ParseInt32(const std::string& text, std::int32_t& value, bool* outOfRange = nullptr);
