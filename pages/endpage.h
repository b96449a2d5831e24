#pragma once

#include "pages/datapage.h"

class CUzPageEnd : public CUzDataPage {
public:
    CUzPageEnd();
};
