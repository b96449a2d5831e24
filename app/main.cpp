#include "app/app.h"
#include "app/cmdline.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const CommandLine cmd = ParseCommandLine(arguments);
    if (cmd.action != CommandLine::Action::Wizard)
        return RunWithoutWindow(cmd, argc, argv);

    QApplication app(argc, argv);
    // The application name, the caption of every message box, is the
    // executable's name.
    QCoreApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    InitGui();
    CUzApp uzApp;
    uzApp.InitInstance(cmd.statement);
    return EXIT_SUCCESS;
}
