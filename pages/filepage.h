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
};

// The file dialogs' filter for statement files (Windows-1250 pairs).
const std::string& StatementFileFilter();
