#pragma once
// Figures marked by the error page on screen: an addend of a failed rule
// white on blue, its sum white on red; unmarked edits follow the desktop
// palette.

#include "model/item.h"

#include <QColor>

#include <string>

class CDataExchange;
class CEditCtrl;

struct CUzMarkColors {
    QColor m_crAddendBk{0, 0, 255};
    QColor m_crAddendText{255, 255, 255};
    QColor m_crSumBk{255, 0, 0};
    QColor m_crSumText{255, 255, 255};
};

extern const CUzMarkColors g_markColors;

// The caption of the failed rule whose items are marked (Windows-1250): a
// marked field tells a screen reader which rule it is part of.
extern std::string g_markedRule;

// Attaches the edit `id` to an item's mark, so it paints by it.
void DDX_Control(CDataExchange& dx, int id, CUzMarkEdit& edit);

// Brings an edit's palette in line with a mark (read-only edits stay plain).
void ApplyMark(CEditCtrl& edit, std::int32_t mark);
