#pragma once

#include "pages/datapage.h"

class CUzPageObj : public CUzDataPage {
public:
    CUzPageObj();
};
