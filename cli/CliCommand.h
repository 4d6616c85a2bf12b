#pragma once
// The commands of uploadpic-cli: each has a name, a one-line summary and a function that runs it with
// the arguments after its name. Usage faults throw UsageError, which the tool turns into exit code 2.

#include "client/PhotoSession.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace cli {

struct Options {
    QString server;     // --server HOST:PORT given before the command, empty otherwise
    bool quiet = false; // -q/--quiet: no progress line or other notes on stderr, errors still
};

using RunFunction = int (*)(const QStringList &args, const Options &options);

struct Command {
    const char *name;
    const char *summary;
    RunFunction run;
};

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// Output in UTF-8, whatever the locale says, control characters escaped (core/ShownText.h): Out
// keeps the line breaks and tabs of the program's own texts, Err, Field, Value and Item none (Item its
// tabs). Err lines also become the message of a JSON report.
void Out(const QString &line);
void Err(const QString &line);

// What a command reports. As text each piece prints at once; with --json the pieces are collected
// and main prints one object at the end: {"exitCode", "code", "message", "reason", "data"}, the first
// four always filled (code "1111" for a failure without the service's own code, reason empty on
// success).
void SetJsonReport(bool json);
bool JsonReport();
// A named value: "KEY=VALUE" as text; in JSON the key in camelCase ("CompanyId" is "companyId") and
// the value with its own type (a number stays a number).
void Field(const QString &key, const QJsonValue &value);
// A bare value: "VALUE" as text (a file written, a new photo ID, the login outcome).
void Value(const QString &key, const QString &value);
// One entry of a repeated item: the text line as text, an array element under key in JSON.
void Item(const QString &key, const QJsonValue &item, const QString &text);
// Records an operation's result for the report: its code, message and reason. A failure prints
// "Code=CODE" (as text; a login prints its outcome word instead) and the message with its reason on
// stderr. The exit status: 0 success,
// 2 an input refused before anything was sent, 1 any other failure or a cancel.
int Finish(const TOperationResult &result);
// Prints a help or version text; no JSON report follows it, even with --json.
void ShowHelp(const QString &text);
bool HelpShown();
// The JSON object of the report, for main to print.
QJsonObject JsonObject(int exitCode);

// Parses a command's own arguments with the parser's options. Prints the help and returns false for
// --help; throws UsageError for unknown options or a positional count outside [minArgs, maxArgs].
bool ParseArgs(QCommandLineParser &parser, const QString &command, const QStringList &args, int minArgs,
               int maxArgs);

// The commands, one function each.
int RunConfig(const QStringList &args, const Options &options);
int RunPrepare(const QStringList &args, const Options &options);
int RunLogin(const QStringList &args, const Options &options);
int RunQuery(const QStringList &args, const Options &options);
int RunList(const QStringList &args, const Options &options);
int RunFetch(const QStringList &args, const Options &options);
int RunAdd(const QStringList &args, const Options &options);
int RunEdit(const QStringList &args, const Options &options);
int RunDelete(const QStringList &args, const Options &options);
int RunOutbox(const QStringList &args, const Options &options);

} // namespace cli
