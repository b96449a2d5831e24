#pragma once
// The error review page: the failed sum rules of both years; a double-click
// marks a rule's items and turns to the page of its sum.

#include "framework/controls.h"
#include "pages/datapage.h"

#include <string>

class CUzPageErrors : public CUzDataPage {
public:
    CUzPageErrors();

    void DoDataExchange(CDataExchange& dx) override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnCommand(int id, Notify code) override;

    void FillErrorLists();
    void OnDblclkCurrent();
    void OnDblclkPrevious();

    CListBox m_listCurrent;
    CListBox m_listPrevious;
    std::string m_strCurrent;
    std::string m_strPrevious;

private:
    void OnDblclk(CListBox& list, int year);
    // The selected rule of the list that last had the focus, added up.
    void ShowArithmetic();

    int m_focusYear = 0;
};
