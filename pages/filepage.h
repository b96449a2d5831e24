#pragma once
// The first page: the office's letter and the choice of the statement file.

#include "framework/page.h"

#include <string>

class CUzPageFile : public CPropertyPage {
public:
    CUzPageFile();

    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnCommand(int id, Notify code) override;

    void OnBrowse();
    // Starts the new statement from last year's file and turns to the header
    // page; nothing is written until Finish.
    void OnLastYear();

    // From a statement made from last year's until the page is shown again:
    // leaving the page then loads nothing.
    bool m_bFromLastYear = false;

private:
    void UpdateLastYearButton();
};

// The file dialogs' filter for statement files (Windows-1250 pairs).
const std::string& StatementFileFilter();
