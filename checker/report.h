#pragma once
// The reports of bil-check: for people (Czech, one block per file and a
// summary line), CSV (RFC 4180) and JSON, one record per file, and the
// workbook for the office's spreadsheet.

#include "checker/check.h"

#include <cstdio>
#include <memory>

namespace checker {

enum class Format { Human, Csv, Json };

struct Summary {
    int files = 0;
    int clean = 0;    // warnings at most
    int warnings = 0; // of the clean ones, those with warnings
    int errors = 0;
    int unreadable = 0;

    void Add(Status status);
};

// Writes the reports of a batch, which live until End.
class ReportWriter {
public:
    virtual ~ReportWriter() = default;
    virtual void Begin() {}
    virtual void File(const FileReport& report) = 0;
    // Finishes the report: empty when all of it was written, else what
    // went wrong (UTF-8).
    virtual std::string End(const Summary& summary) = 0;
};

// `data` names the fields (labels of the items); `withText`: texts were asked
// for.
std::unique_ptr<ReportWriter> MakeWriter(Format format, std::FILE* out, const CUzData& data,
                                         bool withText);
// The workbook `path`, written whole at the end (checker/workbook.cpp).
std::unique_ptr<ReportWriter> MakeWorkbookWriter(const std::string& path, const CUzData& data);

// What the writers share.
const std::string& Caption(int rule);
// "Hlavička: položka Obec není vyplněna".
std::string FormGapText(const CUzData& data, const FormGap& gap);

} // namespace checker
