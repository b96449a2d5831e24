#include "pages/headerpage.h"

#include "res/dialogs.h"

CUzPageHlava::CUzPageHlava() : CUzDataPage(IDD_HLAVA) {}
