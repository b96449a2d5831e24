#include "app/cmdline.h"

#include "framework/text.h"
#include "import/proposal.h"
#include "import/read.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "model/messages.h"
#include "model/nextyear.h"
#include "pages/textpage.h"
#include "print/print.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUsage = QStringLiteral("Použití: bil [VÝKAZ.bil]\n"
                                      "         bil --pdf VÝSTUP.pdf VÝKAZ.bil\n"
                                      "         bil --order-pdf VÝSTUP.pdf VÝKAZ.bil\n"
                                      "         bil --next-year LOŇSKÝ.bil NOVÝ.bil\n"
                                      "         bil --import ZDROJ [--crowns] VÝKAZ.bil\n");

const QString kHelp = QStringLiteral(
    "\n"
    "Průvodce účetní závěrkou pro KT: hlavička, rozvaha, výkaz zisků a ztrát,\n"
    "kontrola součtových pravidel, objednávka a text závěrky. Se jménem souboru\n"
    "výkazu otevře průvodce s tímto výkazem načteným, jako by byl vybrán\n"
    "tlačítkem \"...\" na první stránce a stisknuto Další.\n"
    "\n"
    "Volby:\n"
    "  --pdf VÝSTUP.pdf        zapsat výkaz jako PDF pro sbírku listin, bez okna\n"
    "  --order-pdf VÝSTUP.pdf  zapsat objednávku zveřejnění jako PDF, bez okna\n"
    "  --next-year LOŇSKÝ.bil NOVÝ.bil\n"
    "                          založit nový výkaz z loňského, bez okna: loňský\n"
    "                          Běžný rok je nový Minulý rok, firma, auditor\n"
    "                          a objednavatel zůstanou; NOVÝ.bil nesmí existovat\n"
    "  --import ZDROJ VÝKAZ.bil\n"
    "                          převzít čísla rozvahy a výkazu zisku a ztráty\n"
    "                          z přiznání (XML) nebo exportu CSV, bez okna;\n"
    "                          náhled vypíše na standardní výstup; existující\n"
    "                          VÝKAZ.bil si ponechá texty, jinak vznikne nový\n"
    "  --crowns                čísla CSV jsou v korunách (zaokrouhlí se na tisíce)\n"
    "  -h, --help              vypsat tuto nápovědu\n"
    "  -v, --version           vypsat verzi programu\n"
    "\n"
    "Návratový kód s volbou --pdf nebo --order-pdf: 0 PDF je zapsáno, 1 výkaz\n"
    "nelze přečíst, 2 chybně zadané volby nebo PDF nelze zapsat. S volbou\n"
    "--next-year: 0 nový výkaz je zapsán, 1 loňský výkaz nelze přečíst,\n"
    "2 chybně zadané volby, NOVÝ.bil už existuje nebo ho nelze zapsat.\n"
    "S volbou --import: 0 výkaz je zapsán, 1 zdroj nebo existující výkaz nelze\n"
    "přečíst, 2 chybně zadané volby nebo výkaz nelze zapsat.\n");

bool Print(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

void Error(const QString& message)
{
    std::fputs(QStringLiteral("bil: %1\n").arg(message).toLocal8Bit().constData(), stderr);
}

QString Utf(const std::string& cp1250)
{
    return FromCp1250(cp1250);
}

// Qt looks into the runtime folder as it starts; without XDG_RUNTIME_DIR
// (cron, su) it warns and makes one in /tmp. A private folder of our own
// stands in for the run and is removed afterwards.
class RuntimeFolder {
public:
    RuntimeFolder()
    {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        const QByteArray tmp = qEnvironmentVariableIsEmpty("TMPDIR") ? "/tmp" : qgetenv("TMPDIR");
        m_path = (tmp + "/bil-XXXXXX").toStdString();
        if (mkdtemp(m_path.data()))
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_path));
        else
            m_path.clear();
    }
    ~RuntimeFolder()
    {
        if (!m_path.empty())
            rmdir(m_path.c_str());
    }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    std::string m_path;
};

CommandLine Usage(const QString& error)
{
    CommandLine cmd;
    cmd.action = CommandLine::Action::Usage;
    cmd.error = error;
    return cmd;
}

// --next-year LAST NEW and --import SOURCE [--crowns] OUT stand alone: each
// writes a statement, which no other action may be mixed with. `option` and
// the options in `allowed` are the only ones given; two files follow.
CommandLine ParseStatementAction(const QCommandLineParser& parser, CommandLine::Action action,
                                 const QString& option, const QStringList& allowed, const QString& missing)
{
    for (const QString& name : parser.optionNames())
        if (name != option && !allowed.contains(name))
            return Usage(QStringLiteral("volbu --%1 nelze spojit s volbou --%2").arg(option, name));
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return Usage(missing);
    CommandLine cmd;
    cmd.action = action;
    cmd.crowns = parser.optionNames().contains(QLatin1String("crowns"));
    if (files[0].isEmpty() || files[1].isEmpty())
        return Usage(QStringLiteral("jméno souboru je prázdné"));
    if (!FileNameBytes(files[0], cmd.statement) || !FileNameBytes(files[1], cmd.output))
        return Usage(QStringLiteral("jméno souboru obsahuje znak, který systém souborů neumí zapsat"));
    return cmd;
}

// Tells why a statement file could not be written, as the wizard does: the
// message, then the file and why.
void WriteError(fileio::WriteResult result, const std::string& path, int error)
{
    Error(Utf(FileErrorText(result == fileio::WriteResult::OpenFailed ? 10006 : 10010, path, error)));
}

// Takes the figures of the books into a statement, new or existing (whose
// texts stay), and shows what was taken. No Qt application is needed.
int RunImport(const CommandLine& cmd)
{
    const QString out = FileNameText(cmd.output);
    if (SameFile(cmd.output, cmd.statement)) {
        Error(out + QStringLiteral(": výkaz by přepsal soubor s čísly"));
        return 2;
    }
    bilimport::Statement source;
    QString error;
    switch (bilimport::ReadSource(cmd.statement, {.crowns = cmd.crowns}, source, error)) {
    case bilimport::ReadStatus::Ok:
        break;
    case bilimport::ReadStatus::Failed:
        Error(error);
        return 1;
    case bilimport::ReadStatus::CrownsWithXml:
        Error(error);
        return 2;
    }
    CUzData data;
    struct stat st;
    if (lstat(cmd.output.c_str(), &st) == 0 || errno != ENOENT) {
        if (const ReadResult result = ReadStatementFile(cmd.output, data); result != ReadResult::Ok) {
            Error(out + QStringLiteral(": ") + Utf(ReadResultText(result)));
            return 1;
        }
    }
    bilimport::Proposal proposal;
    if (!bilimport::Proposal::Make(source, data, proposal, error)) {
        Error(error);
        return 1;
    }
    proposal.Apply(data, bilimport::Years::Both);
    std::string bytes;
    data.WriteItems(bytes);
    int code = 0;
    if (const fileio::WriteResult result = fileio::ReplaceFile(cmd.output, bytes, &code);
        result != fileio::WriteResult::Ok) {
        WriteError(result, cmd.output, code);
        return 2;
    }
    if (!Print(proposal.Text(bilimport::Years::Both))) {
        Error(QStringLiteral("výstup nelze zapsat"));
        return 2;
    }
    return 0;
}

// Writes next year's statement made from last year's; no Qt application is
// needed. The new file never replaces one that is there, even one that
// appears while it is written.
int RunNextYear(const CommandLine& cmd)
{
    const QString last = FileNameText(cmd.statement), next = FileNameText(cmd.output);
    const QString taken = next + QStringLiteral(": soubor už existuje, nový výkaz by ho přepsal");
    struct stat st;
    if (SameFile(cmd.output, cmd.statement)) {
        Error(next + QStringLiteral(": nový výkaz by přepsal loňský"));
        return 2;
    }
    if (lstat(cmd.output.c_str(), &st) == 0) {
        Error(taken);
        return 2;
    }
    CUzData read, made;
    if (const ReadResult result = ReadStatementFile(cmd.statement, read); result != ReadResult::Ok) {
        Error(last + QStringLiteral(": ") + Utf(ReadResultText(result)));
        return 1;
    }
    CarryOver(read, made);
    std::string bytes;
    made.WriteItems(bytes);
    int error = 0;
    const fileio::WriteResult result =
        fileio::ReplaceFile(cmd.output, bytes, &error, fileio::Mode::NewOnly);
    if (result == fileio::WriteResult::Ok)
        return 0;
    if (error == EEXIST)
        Error(taken);
    else
        WriteError(result, cmd.output, error);
    return 2;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("VÝSTUP"));
    const QCommandLineOption orderPdf(QStringLiteral("order-pdf"), QString(), QStringLiteral("VÝSTUP"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption nextYear(QStringLiteral("next-year"));
    const QCommandLineOption importOption(QStringLiteral("import"));
    const QCommandLineOption crowns(QStringLiteral("crowns"));
    QCommandLineParser parser;
    parser.addOptions({pdf, orderPdf, help, version, nextYear, importOption, crowns});
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Usage(QStringLiteral("neznámá volba %1").arg(parser.unknownOptionNames().first()));
        return Usage(QStringLiteral("u volby %1 chybí jméno souboru PDF").arg(arguments.last()));
    }
    const QStringList statements = parser.positionalArguments();
    CommandLine cmd;
    if (parser.isSet(help) || parser.isSet(version)) {
        cmd.action = parser.isSet(help) ? CommandLine::Action::Help : CommandLine::Action::Version;
        return cmd;
    }
    if (parser.isSet(nextYear))
        return ParseStatementAction(parser, CommandLine::Action::NextYear, QStringLiteral("next-year"), {},
                                    QStringLiteral("zadejte loňský a nový soubor výkazu"));
    if (parser.isSet(importOption))
        return ParseStatementAction(parser, CommandLine::Action::Import, QStringLiteral("import"),
                                    {QStringLiteral("crowns")},
                                    QStringLiteral("zadejte soubor s čísly a soubor výkazu"));
    if (parser.isSet(crowns))
        return Usage(QStringLiteral("volba --crowns platí jen s volbou --import"));
    QStringList outputs = parser.values(pdf);
    if (!outputs.isEmpty())
        cmd.action = CommandLine::Action::StatementPdf;
    if (parser.isSet(orderPdf)) {
        cmd.action = CommandLine::Action::OrderPdf;
        outputs += parser.values(orderPdf);
    }
    if (cmd.action == CommandLine::Action::Wizard) {
        if (statements.size() > 1)
            return Usage(QStringLiteral("zadejte nejvýše jeden soubor výkazu"));
        // As the browse dialog gives it: absolute, in the file system's bytes.
        if (!statements.isEmpty() &&
            !FileNameBytes(QDir::current().absoluteFilePath(statements.first()), cmd.statement))
            return Usage(QStringLiteral("jméno souboru obsahuje znak, který systém souborů neumí zapsat"));
        return cmd;
    }
    if (outputs.size() != 1)
        return Usage(QStringLiteral("zadejte jen jeden soubor PDF"));
    if (statements.size() != 1)
        return Usage(QStringLiteral("zadejte jeden soubor výkazu"));
    if (outputs.first().isEmpty() || statements.first().isEmpty())
        return Usage(QStringLiteral("jméno souboru je prázdné"));
    if (!FileNameBytes(outputs.first(), cmd.output) || !FileNameBytes(statements.first(), cmd.statement))
        return Usage(QStringLiteral("jméno souboru obsahuje znak, který systém souborů neumí zapsat"));
    return cmd;
}

int RunWithoutWindow(const CommandLine& cmd, int& argc, char** argv)
{
    if (cmd.action == CommandLine::Action::Usage) {
        Error(cmd.error);
        std::fputs(kUsage.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (cmd.action == CommandLine::Action::Help || cmd.action == CommandLine::Action::Version) {
        const QString text = cmd.action == CommandLine::Action::Help
                                 ? kUsage + kHelp
                                 : QStringLiteral("bil %1\n").arg(QStringLiteral(BIL_VERSION));
        if (Print(text))
            return 0;
        Error(QStringLiteral("výstup nelze zapsat"));
        return 2;
    }
    if (cmd.action == CommandLine::Action::NextYear)
        return RunNextYear(cmd);
    if (cmd.action == CommandLine::Action::Import)
        return RunImport(cmd);
    const QString out = FileNameText(cmd.output), in = FileNameText(cmd.statement);
    if (SameFile(cmd.output, cmd.statement)) {
        Error(QStringLiteral("%1: soubor PDF nemůže nahradit výkaz").arg(out));
        return 2;
    }
    CUzData data;
    if (const ReadResult read = ReadStatementFile(cmd.statement, data); read != ReadResult::Ok) {
        Error(in + QStringLiteral(": ") + Utf(ReadResultText(read)));
        return 1;
    }
    // No window is opened: any display, or none, will do.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A file size limit is a write error like any other, not the end.
    std::signal(SIGXFSZ, SIG_IGN);
    const RuntimeFolder runtime;
    QGuiApplication app(argc, argv);
    const QByteArray pdf = print::Pdf(data, cmd.action == CommandLine::Action::OrderPdf
                                                ? print::Part::Order
                                                : print::Part::Statement);
    int error = 0;
    switch (pdf.isEmpty() ? fileio::WriteResult::WriteFailed
                          : fileio::ReplaceFile(cmd.output, std::string_view(pdf.data(), std::size_t(pdf.size())), &error)) {
    case fileio::WriteResult::Ok:
        return 0;
    case fileio::WriteResult::OpenFailed:
        // As the wizard says it: the message, then the file and why.
        Error(Utf(FileErrorText(10006, cmd.output, error)));
        return 2;
    case fileio::WriteResult::WriteFailed:
        break;
    }
    Error(Utf(FileErrorText(10010, cmd.output, error)));
    return 2;
}
