#pragma once
// Inside the readers: the two formats and what they share.

#include "import/official.h"

#include <QString>
#include <QStringView>

namespace bilimport::detail {

// Builds the messages: "Soubor „x.csv“, řádek 12: ..." (line 0: no line).
class Failure {
public:
    explicit Failure(QString& error, const QString& fileName) : m_error(error), m_file(fileName) {}
    bool operator()(int line, const QString& what) const;

private:
    QString& m_error;
    const QString& m_file;
};

enum class Number { Ok, NotWhole, NotNumber, OutOfRange };

// A figure in thousands ("-1234"; with `csv` also digit groups, U+2212 and a
// decimal comma whose decimals are 0), or with `crowns` in crowns with up to
// two decimals, given back in haléře. Empty is 0. Range: 32 bits once in
// thousands.
Number ParseFigure(QStringView text, bool csv, bool crowns, std::int64_t& value);
// What is wrong with `text` as the figure of `column`.
QString NumberProblem(Number n, QStringView text, const QString& column, bool crowns);

QString TableName(Table table); // "aktiva", "pasiva", "výkaz zisku a ztráty"

bool ReadXml(const QString& text, Statement& st, const Failure& fail);
bool ReadCsv(const QString& text, bool crowns, Statement& st, const Failure& fail);

} // namespace bilimport::detail
