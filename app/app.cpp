#include "app/app.h"

#include "framework/qthost.h"
#include "framework/resource.h"

#include <QApplication>
#include <QLibraryInfo>
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

bool CUzApp::InitInstance()
{
    CBilDlgPages sheet(10002, nullptr, 0);
    sheet.DoModal();
    return false;
}

void InitGui()
{
    Q_INIT_RESOURCE(bil);
    // Message boxes are titled by the program's name as the desktop shows
    // it, and the desktop finds the window's entry and icon by this id.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Bil"));
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.example.bil"));
    static QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_cs"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    static QtMessageHost host;
    SetMessageHost(&host);
}
