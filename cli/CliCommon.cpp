#include "CliCommand.h"
#include "ProgressLine.h"

#include "contract/ResultCodes.h"
#include "core/ShownText.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <cstdio>

namespace cli {

namespace {

// The report of the one command a process runs.
struct Report {
    bool json = false;
    bool helpShown = false; // help or version: the text is the whole report
    QString code;
    QString message;
    QString reason;
    QStringList errors; // lines written to stderr
    QJsonObject data;
};

Report &report() {
    static Report instance;
    return instance;
}

// JSON keys are camelCase whatever the text's KEY is: "CompanyId" is "companyId", "IP" is "ip".
QString jsonKey(const QString &key) {
    qsizetype upper = 0;
    while (upper < key.size() && key.at(upper).isUpper()) {
        ++upper;
    }
    // In "IPAddress" the last capital of the run starts the next word.
    const qsizetype lower = upper > 1 && upper < key.size() ? upper - 1 : upper;
    return key.left(lower).toLower() + key.mid(lower);
}

QString text(const QJsonValue &value) {
    return value.isDouble() ? QString::number(value.toInteger()) : value.toString();
}

} // namespace

// What is printed keeps no control character of its own but the line breaks and tabs of the
// program's texts; text from outside (a server's answer) is escaped whole where it is printed below.
void Out(const QString &line) {
    EndProgressLine();
    std::fputs(ShownText(line, u"\n\t").toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Err(const QString &line) {
    EndProgressLine();
    std::fputs(ShownText(line).toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    report().errors.append(line);
}

void SetJsonReport(bool json) {
    report().json = json;
}

bool JsonReport() {
    return report().json;
}

void Field(const QString &key, const QJsonValue &value) {
    if (report().json) {
        report().data.insert(jsonKey(key), value);
    } else {
        Out(key + u'=' + ShownText(text(value)));
    }
}

void Value(const QString &key, const QString &value) {
    if (report().json) {
        report().data.insert(key, value);
    } else {
        Out(ShownText(value));
    }
}

void Item(const QString &key, const QJsonValue &item, const QString &line) {
    if (report().json) {
        QJsonArray items = report().data.value(key).toArray();
        items.append(item);
        report().data.insert(key, items);
    } else {
        Out(ShownText(line, u"\t")); // one line, whose fields the tabs separate
    }
}

void ShowHelp(const QString &text) {
    report().helpShown = true;
    Out(text);
}

bool HelpShown() {
    return report().helpShown;
}

int Finish(const TOperationResult &result) {
    Report &r = report();
    r.code = result.code;
    r.message = result.message;
    r.reason = result.reason;
    if (!result.warning.isEmpty()) {
        Err(QStringLiteral("uploadpic-cli: ") + result.warning);
    }
    if (result.ok()) {
        return 0;
    }
    // A login's outcome word (printed by its command) says what "Code=" would.
    const bool login = result.loginMessage != 0;
    if (!r.json && result.input == PhotoWorkflow::Input::None && !result.cancelled && !login) {
        Out(QStringLiteral("Code=") + result.code);
    }
    const bool sameText = result.reason.isEmpty() || result.reason == result.message;
    Err(QStringLiteral("uploadpic-cli: ") + result.message +
        (sameText ? QString() : QStringLiteral(": ") + result.reason));
    return result.input != PhotoWorkflow::Input::None ? 2 : 1;
}

QJsonObject JsonObject(int exitCode) {
    const Report &r = report();
    const QString errors = r.errors.join(QStringLiteral("; "));
    const QString code =
        !r.code.isEmpty() ? r.code : QString(exitCode == 0 ? ResultCode::kSuccess : ResultCode::kNoAnswer);
    QString message = r.message;
    if (message.isEmpty()) {
        message = exitCode == 0 ? QStringLiteral("成功") : errors;
    }
    QString reason = r.reason;
    if (reason.isEmpty() && exitCode != 0) {
        reason = errors.isEmpty() ? message : errors;
    }
    return QJsonObject{{QStringLiteral("exitCode"), exitCode},
                       {QStringLiteral("code"), code},
                       {QStringLiteral("message"), message},
                       {QStringLiteral("reason"), reason},
                       {QStringLiteral("data"), r.data}};
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
        report().helpShown = true;
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
