#pragma once
// What the service commands of uploadpic-cli share: one data module and photo list for the process,
// the server from the configuration or --server, the login from --user/--password or the
// environment, and the company query and photo list as the main window runs them.

#include "CliCommand.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <memory>

namespace cli {

// The credential options every service command but login takes.
struct LoginOptions {
    QCommandLineOption user{QStringLiteral("user"),
                            QStringLiteral("User name for the login (default: $UPLOADPIC_USER)."),
                            QStringLiteral("USER")};
    QCommandLineOption password{QStringLiteral("password"),
                                QStringLiteral("Password for the login (default: $UPLOADPIC_PASSWORD)."),
                                QStringLiteral("PASSWORD")};
    void addTo(QCommandLineParser &parser) const { parser.addOptions({user, password}); }
};

class ServiceSession {
public:
    // Reads the program folder's configuration; --server HOST:PORT replaces its address and port.
    // Throws UsageError for a malformed --server, std::runtime_error when the configuration cannot
    // be read and no --server is given.
    explicit ServiceSession(const Options &options);
    ServiceSession(const ServiceSession &) = delete;
    ServiceSession &operator=(const ServiceSession &) = delete;

    // The login check (OperationKind 0); the message number. Throws UsageError for a missing user name
    // or password.
    int login(const QString &user, const QString &password);
    // Logs in with the credentials from the parser or the environment; prints the outcome and
    // returns false when it failed. Throws UsageError when no credentials are given.
    bool loginFrom(const QCommandLineParser &parser, const LoginOptions &options);

    // The company query (OperationKind 1) and then the photo list with that same header, as the main
    // window fetches the first list. The code of the first failure, or "1110". Throws UsageError for a
    // company ID the main window would not query.
    QString queryCompany(const QString &companyId);
    QString queryAndList(const QString &companyId);

    TDM_Main &dm() { return dm_; }
    TPhotoListModel &rows() { return rows_; }

private:
    TDM_Main dm_;
    TPhotoListModel rows_;
};

// The start of every service command but login: parses args (positional arguments and options
// added by the caller, the credential options added here), opens the session and logs in. False when
// the command is already over (help shown, login refused), with its exit code in exitCode.
bool StartServiceCommand(QCommandLineParser &parser, const LoginOptions &login, const QString &command,
                         const QString &description, const QStringList &args, int minArgs, int maxArgs,
                         const Options &options, std::unique_ptr<ServiceSession> &session, int &exitCode);

// Prints "Code=CODE" for a failed operation and gives exit code 1.
int failed(const QString &code);

// The word the login command prints for a login message number.
QString loginOutcome(int message);

} // namespace cli
