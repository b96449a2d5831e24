#pragma once
// Colours of marked figures on screen: unmarked edits follow the desktop
// palette, addends are white on blue, sum items white on red.

#include "model/item.h"

#include <QColor>

class CDataExchange;
class CEditCtrl;

struct CUzMarkColors {
    QColor m_crNormalBk;
    QColor m_crNormalText;
    QColor m_crAddendBk;
    QColor m_crAddendText;
    QColor m_crSumBk;
    QColor m_crSumText;
    bool m_bMarkBrushes = false;

    void UpdateSysColors();
    void CreateAddendBrush();
    void CreateSumBrush();
    // Normal colours anew from the palette; mark colours only the first time.
    void UpdateColors();
};

extern CUzMarkColors g_markColors;

// Attaches the edit `id` to an item's mark, so it paints by it.
void DDX_Control(CDataExchange& dx, int id, CUzMarkEdit& edit);

// Brings an edit's palette in line with a mark (read-only edits stay plain).
void ApplyMark(CEditCtrl& edit, std::int32_t mark);
