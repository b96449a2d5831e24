#pragma once
// Dialog templates as data: per dialog its caption, size and controls, with
// positions and sizes in dialog units. The GUI builds the widgets from them.
// Texts are UTF-8 (they go to the screen, not into the statement).

#include <cstdint>
#include <span>

enum class CtlKind {
    Static,    // text label
    Edit,      // line edit, or multi-line edit with CtlMultiLine
    Button,    // push button
    CheckBox,  // automatic check box
    ListBox,
    ComboBox,  // drop-down list (no typing) with CtlDropDownList
    GroupBox,  // etched frame, optionally with a caption
    HLine,     // etched horizontal line
};

enum CtlStyle : std::uint32_t {
    CtlNone = 0,
    CtlTabStop = 1u << 0,
    CtlBorder = 1u << 1,
    CtlReadOnly = 1u << 2,
    CtlMultiLine = 1u << 3,
    CtlVScroll = 1u << 4,
    CtlHScroll = 1u << 5,
    CtlWordWrap = 1u << 6, // multi-line edit or static: wrap long lines
    CtlNotify = 1u << 7,   // list box reports double-clicks
    CtlCenter = 1u << 8,   // static: centred text
    CtlTabLast = 1u << 9,  // the page's last tab stop, right before the wizard's buttons
};

inline constexpr int kNoId = -1;

struct ControlTemplate {
    int id; // kNoId for controls nobody addresses
    CtlKind kind;
    int x, y, w, h; // dialog units
    const char* text;
    std::uint32_t style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int w, h; // dialog units
    // Template order is the tab order, except that CtlTabLast controls come
    // after all others; the first tab stop in template order has the focus
    // when the page is shown.
    std::span<const ControlTemplate> controls;
};

// The template of a dialog id, or nullptr. The figure pages build theirs
// from the statement's lines (pages/figurepages.cpp).
const DialogTemplate* FindDialogTemplate(int id);

inline constexpr int kPageH = 209; // every page is 209 units high

constexpr ControlTemplate Label(int id, int x, int y, int w, int h, const char* text,
                                std::uint32_t style = CtlNone)
{
    return {id, CtlKind::Static, x, y, w, h, text, style};
}

// Single-line entry field; every one on the pages is 12 units high.
inline constexpr std::uint32_t kField = CtlBorder | CtlTabStop;
constexpr ControlTemplate Field(int id, int x, int y, int w)
{
    return {id, CtlKind::Edit, x, y, w, 12, "", kField};
}

// The orderer page's note on the invoice data (the order prints it too).
inline constexpr const char* kOrdererNote =
    "Údaje o společnosti, které má být vystavena faktura za náklady na zveřejnění UZ v KT. "
    "Redakce KT garantuje, že tyto údaje nebudou zneužity k jiným účelům, než je zde uvedeno.";

// Dialog ids of the wizard pages.
enum DialogId : int {
    IDD_FILE = 130,
    IDD_ERRORS = 131,
    IDD_HLAVA = 132,
    IDD_AKTIVA = 133,
    IDD_PASIVA = 134,
    IDD_VYSLEDKY1 = 135,
    IDD_VYSLEDKY2 = 136,
    IDD_END = 137,
    IDD_TEXT = 138,
    IDD_OBJ = 151,
};
