#pragma once
// The message host of the GUI: the application message box and the open-file
// dialog, in Qt's own widgets.

#include "model/messages.h"

#include <QFileDialog>
#include <QString>

class QtMessageHost : public IMessageHost {
public:
    int MessageBox(const std::string& text, unsigned style) override;
    bool OpenFileName(std::string& path, const std::string& title,
                      const std::string& filter) override;
    bool SaveFileName(std::string& path, const std::string& title,
                      const std::string& filter) override;
};

// A file dialog whose chosen file may be new but whose folder must exist.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override;
};

// The path of a name chosen in a file dialog, as the file system names it;
// false, after telling the user, when it cannot name it exactly.
bool ChosenFileName(const QString& chosen, std::string& path);

// Qt's file-dialog filter ("Desc (*.bil);;Desc (*)") from pairs of
// description and pattern, each ended by a zero byte (Windows-1250).
QString QtFileFilter(const std::string& pairs);
