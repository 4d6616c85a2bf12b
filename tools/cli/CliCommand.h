#pragma once
// The commands of uploadpic-cli: each has a name, a one-line summary and a function that runs it with
// the arguments after its name. Usage faults throw UsageError, which the tool turns into exit code 2.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace cli {

struct Options {
    QString server; // --server HOST:PORT given before the command, empty otherwise
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

// Output in UTF-8, whatever the locale says.
void Out(const QString &line);
void Err(const QString &line);

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

} // namespace cli
