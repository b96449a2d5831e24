#pragma once
// The orderer: who is invoiced for publishing; can be copied from the header.

#include "pages/datapage.h"

class CUzPageObj : public CUzDataPage {
public:
    CUzPageObj();

    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnCommand(int id, Notify code) override;
};
