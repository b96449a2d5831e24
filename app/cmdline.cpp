#include "app/cmdline.h"

#include "framework/text.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "model/messages.h"
#include "pages/textpage.h"
#include "print/print.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>

namespace {

const QString kUsage = QStringLiteral("Použití: bil --pdf VÝSTUP.pdf VÝKAZ.bil\n"
                                      "         bil --order-pdf VÝSTUP.pdf VÝKAZ.bil\n");

void Error(const QString& message)
{
    std::fputs(QStringLiteral("bil: %1\n").arg(message).toLocal8Bit().constData(), stderr);
}

QString Utf(const std::string& cp1250)
{
    return FromCp1250(cp1250);
}

CommandLine Usage(const QString& error)
{
    CommandLine cmd;
    cmd.action = CommandLine::Action::Usage;
    cmd.error = error;
    return cmd;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("VÝSTUP"));
    const QCommandLineOption orderPdf(QStringLiteral("order-pdf"), QString(), QStringLiteral("VÝSTUP"));
    QCommandLineParser parser;
    parser.addOptions({pdf, orderPdf});
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Usage(QStringLiteral("neznámá volba %1").arg(parser.unknownOptionNames().first()));
        return Usage(QStringLiteral("u volby %1 chybí jméno souboru PDF").arg(arguments.last()));
    }
    const QStringList statements = parser.positionalArguments();
    CommandLine cmd;
    QStringList outputs = parser.values(pdf);
    if (!outputs.isEmpty())
        cmd.action = CommandLine::Action::StatementPdf;
    if (parser.isSet(orderPdf)) {
        cmd.action = CommandLine::Action::OrderPdf;
        outputs += parser.values(orderPdf);
    }
    if (cmd.action == CommandLine::Action::Wizard)
        return cmd;
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
    QGuiApplication app(argc, argv);
    const QByteArray pdf = print::Pdf(data, cmd.action == CommandLine::Action::OrderPdf
                                                ? print::Part::Order
                                                : print::Part::Statement);
    switch (pdf.isEmpty() ? fileio::WriteResult::WriteFailed
                          : fileio::ReplaceFile(cmd.output, std::string_view(pdf.data(), std::size_t(pdf.size())))) {
    case fileio::WriteResult::Ok:
        return 0;
    case fileio::WriteResult::OpenFailed:
        Error(out + QStringLiteral(": ") + Utf(LoadText(10006)));
        return 2;
    case fileio::WriteResult::WriteFailed:
        break;
    }
    Error(out + QStringLiteral(": ") + Utf(LoadText(10010)));
    return 2;
}
