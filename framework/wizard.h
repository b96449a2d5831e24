#pragma once
// Wizard button flags a page posts to its sheet, and page handler results.

enum : unsigned {
    PSWIZB_BACK = 1,
    PSWIZB_NEXT = 2,
    PSWIZB_FINISH = 4,
};

// Results of OnWizardBack / OnWizardNext: go on to the neighbouring page, or
// stay where we are.
inline constexpr int kWizardDefault = 0;
inline constexpr int kWizardStay = -1;

// Notifications a page receives from its controls.
enum class Notify {
    Clicked,   // push button or check box
    DblClk,    // double-click on a list box entry
    SelChange, // a list box's selection changed
    SetFocus,  // a list box got the focus
    Changed,   // an edit's text or a drop-down list's choice; told the sheet
};
