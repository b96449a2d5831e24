// Saves a picture of every wizard page, as the user sees it, into a folder:
//   bil_grab OUTDIR [demo.bil]
// With a statement file, its figures are shown (and the error page lists
// what it finds). Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "app/app.h"
#include "pages/markedit.h"
#include "model/document.h"
#include "model/messages.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bil_grab OUTDIR [statement.bil]\n");
        return 2;
    }
    InitGui();
    SilentMessageHost host(IDYES);
    SetMessageHost(&host);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    CBilDlgPages sheet(10002, nullptr, 0);
    // A statement to show: the given file, or a new one in the output folder.
    g_doc.m_strPath = argc > 2 ? argv[2] : (out + QStringLiteral("/new.bil")).toStdString();
    if (!g_doc.Load())
        std::fprintf(stderr, "bil_grab: cannot load %s\n", g_doc.m_strPath.c_str());
    sheet.show();
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        sheet.SetActivePage(i);
        // On the error page the first failed rule is selected, added up below.
        for (CListBox* list : {&sheet.m_pageErrors.m_listCurrent, &sheet.m_pageErrors.m_listPrevious})
            if (i == PageErrors && list->m_pCtrl->count() != 0 && !list->m_pCtrl->currentItem()) {
                list->m_pCtrl->setFocus();
                list->m_pCtrl->setCurrentRow(0);
            }
        for (int k = 0; k < 3; ++k)
            QCoreApplication::processEvents();
        const QString name = QStringLiteral("%1/page%2.png").arg(out).arg(i);
        if (!sheet.grab().save(name)) {
            std::fprintf(stderr, "bil_grab: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    // The first failed rule, double-clicked: its page with the marks.
    sheet.SetActivePage(PageErrors);
    CUzPageErrors& errors = sheet.m_pageErrors;
    for (CListBox* list : {&errors.m_listCurrent, &errors.m_listPrevious}) {
        if (list->m_pCtrl->count() == 0)
            continue;
        list->m_pCtrl->setCurrentRow(0);
        if (list == &errors.m_listCurrent)
            errors.OnDblclkCurrent();
        else
            errors.OnDblclkPrevious();
        for (int k = 0; k < 3; ++k)
            QCoreApplication::processEvents();
        sheet.grab().save(out + QStringLiteral("/marked.png"));
        break;
    }
    return 0;
}
