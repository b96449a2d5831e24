#pragma once
// The closing data: free texts, none of them required.

#include "pages/datapage.h"

class CUzPageEnd : public CUzDataPage {
public:
    CUzPageEnd();

    void DoDataExchange(CDataExchange& dx) override;
};
