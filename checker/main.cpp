// bil-check: the statement files of a batch checked without a desktop.

#include "checker/cli.h"

int main(int argc, char** argv)
{
    return checker::Run(argc, argv, stdout, stderr);
}
