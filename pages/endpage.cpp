#include "pages/endpage.h"

#include "res/dialogs.h"

CUzPageEnd::CUzPageEnd() : CUzDataPage(IDD_END) {}
