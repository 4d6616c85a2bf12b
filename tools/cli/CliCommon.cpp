#include "CliCommand.h"

#include <QRegularExpression>

#include <cstdio>

namespace cli {

void Out(const QString &line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Err(const QString &line) {
    std::fputs(line.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool ParseArgs(QCommandLineParser &parser, const QString &command, const QStringList &args, int minArgs,
               int maxArgs) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("uploadpic-cli ") + command} + args)) {
        throw UsageError(parser.errorText());
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                     QStringLiteral("Usage: uploadpic-cli ") + command);
        Out(text.trimmed());
        return false;
    }
    const auto count = parser.positionalArguments().size();
    if (count < minArgs || count > maxArgs) {
        throw UsageError(QStringLiteral("%1: expected %2 argument(s), got %3; see 'uploadpic-cli %1 --help'")
                             .arg(command, minArgs == maxArgs
                                               ? QString::number(minArgs)
                                               : QStringLiteral("%1 to %2").arg(minArgs).arg(maxArgs))
                             .arg(count));
    }
    return true;
}

} // namespace cli
