#pragma once
// The header: company, IČO, address, the year, the auditor and the opinion.

#include "framework/controls.h"
#include "pages/datapage.h"

class CUzPageHlava : public CUzDataPage {
public:
    CUzPageHlava();

    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;

private:
    CComboBox m_opinions;
};
