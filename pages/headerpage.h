#pragma once

#include "pages/datapage.h"

class CUzPageHlava : public CUzDataPage {
public:
    CUzPageHlava();
};
