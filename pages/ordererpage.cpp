#include "pages/ordererpage.h"

#include "res/dialogs.h"

CUzPageObj::CUzPageObj() : CUzDataPage(IDD_OBJ) {}
