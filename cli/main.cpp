// uploadpic-cli: the client's configuration, imaging and service operations from the command line.

#include "CliCommand.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

#include <exception>

namespace {

// Every command of the tool, in the order the help lists them.
constexpr cli::Command kCommands[] = {
    {"config", "write or show the protected server configuration", cli::RunConfig},
    {"prepare", "shrink and reduce a photo as the photo editor does", cli::RunPrepare},
    {"login", "check a user name and password with the service", cli::RunLogin},
    {"query", "query a company and print its fields", cli::RunQuery},
    {"list", "query a company and list its photos and photo types", cli::RunList},
    {"fetch", "download a photo's small or source version into the cache", cli::RunFetch},
    {"add", "prepare and add photos to a company", cli::RunAdd},
    {"edit", "change a photo's note and optionally its image", cli::RunEdit},
    {"delete", "delete a photo of a company", cli::RunDelete},
    {"outbox", "list, send or discard the photos kept for later", cli::RunOutbox},
};

void printHelp() {
    QString text =
        QStringLiteral("Usage: uploadpic-cli [--server HOST:PORT] COMMAND [ARGS...]\n\n"
                       "Global options:\n"
                       "  --server HOST:PORT  talk to this server instead of the configured one\n"
                       "  --json              print the command's report as one JSON object:\n"
                       "                      {exitCode, code (the service's result code), message,\n"
                       "                      reason (why it failed), data}; the exit status stays\n"
                       "                      the same\n"
                       "                      (https://HOST:PORT: over TLS, checked as configured)\n"
                       "  -q, --quiet         no progress line for long transfers (errors still show)\n"
                       "  -h, --help          show this help; COMMAND --help shows a command's help\n"
                       "  --version           show the program's version\n"
                       "Global options may stand before or after the command.\n\n"
                       "The service commands but login log in first: the user from --user or\n"
                       "UPLOADPIC_USER, the password from UPLOADPIC_PASSWORD, --password-stdin or a\n"
                       "prompt on a terminal.\n\n"
                       "Commands:\n");
    for (const cli::Command &command : kCommands) {
        text +=
            QStringLiteral("  %1%2\n")
                .arg(QString::fromLatin1(command.name).leftJustified(10), QString::fromUtf8(command.summary));
    }
    cli::ShowHelp(text.trimmed());
}

// Runs the command the arguments name; its exit code.
int run(QStringList args, bool quiet) {
    cli::Options options;
    options.quiet = quiet;
    try {
        // --server may stand anywhere, as --json does; no command has an option of that name.
        for (qsizetype i = 0; i < args.size();) {
            if (args.at(i) == u"--server") {
                if (i + 1 >= args.size()) {
                    throw cli::UsageError(QStringLiteral("--server needs HOST:PORT"));
                }
                options.server = args.at(i + 1);
                args.remove(i, 2);
            } else if (args.at(i).startsWith(u"--server=")) {
                options.server = args.takeAt(i).mid(9);
            } else {
                ++i;
            }
        }
        while (!args.isEmpty() && args.first().startsWith(u'-')) {
            const QString option = args.takeFirst();
            if (option == u"-h" || option == u"--help") {
                printHelp();
                return 0;
            }
            if (option == u"--version") {
                cli::ShowHelp(QStringLiteral("uploadpic-cli ") + QStringLiteral(UPLOADPIC_VERSION));
                return 0;
            }
            throw cli::UsageError(QStringLiteral("unknown option '%1'").arg(option));
        }
        if (args.isEmpty()) {
            throw cli::UsageError(QStringLiteral("no command given; see 'uploadpic-cli --help'"));
        }
        const QString name = args.takeFirst();
        for (const cli::Command &command : kCommands) {
            if (name == QLatin1String(command.name)) {
                return command.run(args, options);
            }
        }
        throw cli::UsageError(QStringLiteral("unknown command '%1'; see 'uploadpic-cli --help'").arg(name));
    } catch (const cli::UsageError &e) {
        cli::Err(QStringLiteral("uploadpic-cli: ") + QString::fromStdString(e.what()));
        return 2;
    } catch (const std::exception &e) {
        cli::Err(QStringLiteral("uploadpic-cli: ") + QString::fromUtf8(e.what()));
        return 1;
    }
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    // --json may stand anywhere: the command's report then comes as one JSON object on stdout.
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    cli::SetJsonReport(json);
    const bool quiet = args.removeAll(QStringLiteral("-q")) + args.removeAll(QStringLiteral("--quiet")) > 0;
    const int exitCode = run(args, quiet);
    if (json && !cli::HelpShown()) {
        std::fputs(QJsonDocument(cli::JsonObject(exitCode)).toJson(QJsonDocument::Compact).constData(),
                   stdout);
        std::fputc('\n', stdout);
    }
    return exitCode;
}
