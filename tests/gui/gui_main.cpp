// Test entry point for the GUI tests: a QApplication on the offscreen
// platform, with the program's resources, Czech framework texts and Qt host.

#include "app/app.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir = QDir::tempPath() + QStringLiteral("/bil-runtime-%1").arg(getuid());
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bil"));
    InitGui();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
