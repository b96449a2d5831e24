#include "app/app.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The application name, the caption of every message box, is the
    // executable's name.
    QCoreApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    InitGui();
    CUzApp uzApp;
    uzApp.InitInstance();
    return EXIT_SUCCESS;
}
