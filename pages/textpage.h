#pragma once
// The last page: the statement text, the text file's name and Finish, which
// writes the text file and then the statement file.

#include "framework/page.h"

#include <string>

class CUzPageText : public CPropertyPage {
public:
    CUzPageText();

    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnQueryCancel() override;
    bool OnWizardFinish() override;
    void OnCommand(int id, Notify code) override;

    void OnBrowse();
    void OnOneTab();
    int SaveTextFile();
    // After the statement could not be saved, or should not replace a file
    // another program changed: offers another name, which becomes the
    // statement's. False when the user declines.
    bool ChooseOtherStatementName();

    std::string m_strText;
    int m_bOneTab = 1;
    std::string m_strFile;
};

// True when two paths lead to one file: the same name regardless of letter
// case (over Unicode: "Účet.bil" is "ÚČET.BIL"), or the same file reached by
// another path (relative, "..", a link).
bool SameFile(const std::string& a, const std::string& b);

// The file the text page's browse dialog proposes: the one chosen before,
// or else the statement's name with ".TXT", beside it.
std::string ProposedTextFile(const std::string& chosen, const std::string& statement);
