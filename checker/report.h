#pragma once
// The reports of bil-check: for people (Czech, one block per file and a
// summary line), CSV (RFC 4180) and JSON, one record per file.

#include "checker/check.h"

#include <cstdio>
#include <memory>

namespace checker {

enum class Format { Human, Csv, Json };

struct Summary {
    int files = 0;
    int clean = 0; // warnings at most
    int errors = 0;
    int unreadable = 0;

    void Add(Status status);
};

class ReportWriter {
public:
    virtual ~ReportWriter() = default;
    virtual void Begin() {}
    virtual void File(const FileReport& report) = 0;
    virtual void End(const Summary& summary) = 0;
};

// `data` names the fields (labels of the items); `withText`: texts were asked
// for.
std::unique_ptr<ReportWriter> MakeWriter(Format format, std::FILE* out, const CUzData& data,
                                         bool withText);

} // namespace checker
