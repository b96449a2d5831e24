#pragma once
// Reading an official statement: the corporate income tax return's XML
// (Pisemnost/DPPDP9, records VetaUA, VetaUD, VetaUB) or a CSV export. Which
// one is told by the content, not by the name.

#include "import/official.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace bilimport {

inline constexpr qint64 kMaxSourceBytes = 16 << 20; // no statement comes near it

struct ReadOptions {
    // The CSV's figures are crowns (with haléře): rounded to thousands.
    // The XML is always in thousands.
    bool crowns = false;
};

enum class ReadStatus {
    Ok,
    Failed,        // the source cannot be read or is not a statement
    CrownsWithXml, // the options do not fit the source: a usage error
};

// `path` as the file system names it. On failure `error` is one Czech
// sentence naming the file, the line where it applies and what is wrong;
// `out` is then unspecified.
ReadStatus ReadSource(const std::string& path, const ReadOptions& options, Statement& out,
                      QString& error);

// The same for bytes already in memory; `fileName` names them in messages.
ReadStatus ReadSourceBytes(const QByteArray& bytes, const QString& fileName,
                           const ReadOptions& options, Statement& out, QString& error);

} // namespace bilimport
