// bil-check: the statement files of a batch checked without a desktop.

#include "checker/cli.h"

#include <csignal>

int main(int argc, char** argv)
{
    // A file-size limit is a write error of the workbook or a text, reported
    // as such, not the end of the run.
    std::signal(SIGXFSZ, SIG_IGN);
    return checker::Run(argc, argv, stdout, stderr);
}
