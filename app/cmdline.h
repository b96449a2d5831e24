#pragma once
// The command line, read before any window exists. Without options the
// wizard starts, with the statement file named, if any; --pdf and
// --order-pdf write a PDF, --next-year starts next year's statement from
// last year's, --import takes the figures from the books into a statement,
// --help and --version say what the program is, all without a window.

#include <QString>
#include <QStringList>

#include <string>

struct CommandLine {
    enum class Action {
        Wizard,       // [STATEMENT]
        Help,
        Version,
        StatementPdf, // --pdf OUT STATEMENT
        OrderPdf,     // --order-pdf OUT STATEMENT
        NextYear,     // --next-year STATEMENT OUT: last year's, then the new one
        Import,       // --import STATEMENT OUT: the source of the figures, then the statement
        Usage,        // the arguments are wrong: `error` says how
    };
    Action action = Action::Wizard;
    std::string output;    // as the file system names it
    std::string statement; // as the file system names it; for the wizard absolute
    bool crowns = false;   // --import: the CSV's figures are crowns
    QString error;
};

// Reads the arguments, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);

// Carries out an action other than the wizard, without a window and without
// a display; the exit status: 0 written (or help and version shown), 1 the
// statement could not be read (nothing created), 2 wrong arguments or the PDF
// not written (nothing left at the output's name), or the new statement's
// name taken already or not written. --import: 1 also when the statement to
// take the figures cannot be read, 2 when it cannot be written.
int RunWithoutWindow(const CommandLine& cmd, int& argc, char** argv);
