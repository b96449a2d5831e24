#include "framework/qthost.h"

#include "framework/text.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QWidget* DialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Message boxes are titled by the program's name. It is not Qt's
// application display name, which the platform would append to every
// window's title.
QString Caption()
{
    return QStringLiteral("Bil");
}

} // namespace

void FileDialog::accept()
{
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
        const QFileInfo info(files.first());
        if (!info.isDir() && !info.absoluteDir().exists()) {
            QMessageBox::warning(this, Caption(),
                                 tr("Složka %1 neexistuje.\nZkontrolujte cestu.")
                                     .arg(QDir::toNativeSeparators(info.absolutePath())));
            return;
        }
    }
    QFileDialog::accept();
}

bool ChosenFileName(const QString& chosen, std::string& path)
{
    if (FileNameBytes(chosen, path))
        return true;
    QMessageBox::warning(DialogParent(), Caption(),
                         QObject::tr("Název souboru obsahuje znak, který systém souborů "
                                     "neumí zapsat.\nZvolte jiný název."));
    return false;
}

int QtMessageHost::MessageBox(const std::string& text, unsigned style)
{
    QMessageBox box(DialogParent());
    box.setWindowTitle(Caption());
    box.setText(FromCp1250(text));
    switch (style & 0xF0) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case 0x20:
        box.setIcon(QMessageBox::Question);
        break;
    case 0x40:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        // Exclamation, and the application box's default for a plain box.
        box.setIcon(QMessageBox::Warning);
        break;
    }
    if ((style & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

QString QtFileFilter(const std::string& pairs)
{
    QStringList filters;
    std::size_t pos = 0;
    while (pos < pairs.size() && pairs[pos] != '\0') {
        const std::size_t descEnd = pairs.find('\0', pos);
        if (descEnd == std::string::npos)
            break;
        const std::size_t patEnd = pairs.find('\0', descEnd + 1);
        const std::string desc = pairs.substr(pos, descEnd - pos);
        const std::string pattern =
            pairs.substr(descEnd + 1, (patEnd == std::string::npos ? pairs.size() : patEnd) -
                                          descEnd - 1);
        // The dialog shows the description as the program words it and
        // matches the patterns in the last parentheses, which it hides;
        // "*.*" means every file, which on Linux is "*" (names without a dot
        // included).
        QString patterns = FromCp1250(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QLatin1String("*.*"), QLatin1String("*"));
        filters << QStringLiteral("%1 (%2)").arg(FromCp1250(desc), patterns);
        if (patEnd == std::string::npos)
            break;
        pos = patEnd + 1;
    }
    return filters.join(QLatin1String(";;"));
}

namespace {

// Runs a file dialog; the chosen name as the file system names it, or false.
// A proposal is selected after the filter, which would change its extension.
bool RunFileDialog(FileDialog& dlg, const std::string& filter, std::string& path,
                   const std::string& proposal = {})
{
    dlg.setObjectName("bilFileDialog");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(QtFileFilter(filter));
    if (!proposal.empty()) {
        const QFileInfo file(FileNameText(proposal));
        dlg.setDirectory(file.absolutePath());
        dlg.selectFile(file.fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    return ChosenFileName(dlg.selectedFiles().first(), path);
}

} // namespace

bool QtMessageHost::OpenFileName(std::string& path, const std::string& title,
                                 const std::string& filter)
{
    FileDialog dlg(DialogParent(), FromCp1250(title));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    return RunFileDialog(dlg, filter, path, path);
}

bool QtMessageHost::SaveFileName(std::string& path, const std::string& title,
                                 const std::string& filter)
{
    FileDialog dlg(DialogParent(), FromCp1250(title));
    // Saving asks before it replaces an existing file.
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    return RunFileDialog(dlg, filter, path, path);
}
