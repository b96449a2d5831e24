#include "app/app.h"

#include "framework/qthost.h"
#include "framework/resource.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "model/messages.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

CBilDlgPages::CBilDlgPages(int captionId, QWidget* parent, int firstPage)
    : CPropertySheet(captionId, parent, firstPage)
{
    m_hIcon = QIcon(QStringLiteral(":/bil.svg"));
    m_hIcon.addFile(QStringLiteral(":/bil-48.png"));
    setWindowIcon(m_hIcon);
    for (CPropertyPage* page :
         std::initializer_list<CPropertyPage*>{&m_pageFile, &m_pageHlava, &m_pageAktiva,
                                               &m_pagePasiva, &m_pageVysledky1, &m_pageVysledky2,
                                               &m_pageEnd, &m_pageErrors, &m_pageObj, &m_pageText})
        AddPage(page);
}

CBilDlgPages::~CBilDlgPages() = default;

namespace {

// The pages whose fields edit the statement.
bool EditsStatement(int page)
{
    return page != PageFile && page != PageErrors && page != PageText;
}

} // namespace

void CBilDlgPages::OnPageLeft(int from, int to)
{
    // The choice of a file again leaves the review behind with the changes.
    if (to == PageFile)
        HideReturnButton();
    if (!m_pDraft)
        return;
    if (to == PageFile)
        m_pDraft->Discard(); // back to the choice of a file: the changes are given up
    else if (from == PageFile) {
        // The statement loaded may have one waiting; one made from last
        // year's is kept at once, as if a page had been left.
        if (!m_pDraft->Open(g_doc) && m_pageFile.m_bFromLastYear)
            m_pDraft->Write(g_doc);
    }
    else if (EditsStatement(from))
        m_pDraft->Write(g_doc); // the page's fields have been taken over
}

void CBilDlgPages::OnPageIdle(int index)
{
    if (!m_pDraft || !EditsStatement(index) || !m_pDraft->Holds(g_doc.m_strPath))
        return;
    GetPage(index)->UpdateDataQuietly();
    m_pDraft->Write(g_doc);
}

void CBilDlgPages::OnPageTakenOver(int)
{
    if (m_pDraft)
        m_pDraft->Write(g_doc);
}

bool CUzApp::InitInstance(const std::string& file)
{
    // A restored draft opens on the header page, its statement file chosen.
    const int first = file.empty() && m_draft.Offer(g_doc) ? PageHlava : PageFile;
    CBilDlgPages sheet(10002, nullptr, first);
    sheet.m_pDraft = &m_draft;
    m_pMainWnd = &sheet;
    if (!file.empty()) {
        QTimer::singleShot(0, &sheet, [&sheet, file] {
            if (!TakeFileName(file, ".BIL", g_doc.m_strPath)) {
                AppMessageBox(cp1250::Literal("Jméno souboru je delší než 259 znaků."), MB_ICONHAND | MB_OK);
                return;
            }
            sheet.m_pageFile.UpdateData(false);
            sheet.PressNext(); // loads it, or says why not and stays
        });
    }
    sheet.DoModal();
    m_pMainWnd = nullptr;
    // Only Finish and a confirmed Cancel close the wizard: the statement is
    // saved or given up.
    m_draft.Discard();
    return false;
}

void InitGui()
{
    Q_INIT_RESOURCE(bil);
    // The desktop finds the window's entry and icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.example.bil"));
    static QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_cs"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    static QtMessageHost host;
    SetMessageHost(&host);
}
