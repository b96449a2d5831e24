#pragma once
// The application: builds the wizard with its ten pages, runs it, and ends
// when it closes.

#include "framework/sheet.h"
#include "model/draft.h"
#include "pages/endpage.h"
#include "pages/errorpage.h"
#include "pages/figurepages.h"
#include "pages/filepage.h"
#include "pages/headerpage.h"
#include "pages/ordererpage.h"
#include "pages/textpage.h"

#include <QIcon>

class CBilDlgPages : public CPropertySheet {
public:
    CBilDlgPages(int captionId, QWidget* parent = nullptr, int firstPage = 0);
    ~CBilDlgPages() override;

    CUzPageFile m_pageFile;
    CUzPageHlava m_pageHlava;
    CUzPageAktiva m_pageAktiva;
    CUzPagePasiva m_pagePasiva;
    CUzPageVysledky1 m_pageVysledky1;
    CUzPageVysledky2 m_pageVysledky2;
    CUzPageEnd m_pageEnd;
    CUzPageErrors m_pageErrors;
    CUzPageObj m_pageObj;
    CUzPageText m_pageText;
    QIcon m_hIcon;
    // Where the statement's drafts go, when the application keeps them.
    CUzDraft* m_pDraft = nullptr;

    // A draft of what the page's fields hold, taken over quietly, while this
    // window keeps the statement's draft.
    void OnPageIdle(int index) override;

protected:
    void OnPageLeft(int from, int to) override;
    void OnPageTakenOver(int index) override;
};

class CUzApp {
public:
    // Offers the drafts an earlier run left, then runs the wizard; always
    // false: the program ends when it closes. A statement file given (from
    // the command line) is opened as the first page's browse and Next would,
    // once the window is up; only its own draft is offered then.
    bool InitInstance(const std::string& file = {});

    CUzDraft m_draft;
    // The wizard while it runs.
    CBilDlgPages* m_pMainWnd = nullptr;
};

// Resources built into the program, the Czech framework texts and the
// message host: what must be in place before any page is shown.
void InitGui();
