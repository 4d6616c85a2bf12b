#pragma once
// What the service commands of uploadpic-cli share: one data module and photo list for the process,
// the server from the configuration or --server, the login from --user/--password or the
// environment (the password also from stdin or a prompt), and the company query and photo list as the main
// window runs them.

#include "CliCommand.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoSession.h"

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
                                QStringLiteral("Password for the login; visible to other users, prefer\n"
                                               "$UPLOADPIC_PASSWORD or --password-stdin."),
                                QStringLiteral("PASSWORD")};
    QCommandLineOption passwordStdin{QStringLiteral("password-stdin"),
                                     QStringLiteral("Read the password from the first line of stdin.")};
    void addTo(QCommandLineParser &parser) const { parser.addOptions({user, password, passwordStdin}); }
};

class ServiceSession {
public:
    // Reads the program folder's configuration; --server HOST:PORT replaces its address and port.
    // Throws UsageError for a malformed --server, std::runtime_error when the configuration cannot
    // be read and no --server is given.
    explicit ServiceSession(const Options &options);
    ServiceSession(const ServiceSession &) = delete;
    ServiceSession &operator=(const ServiceSession &) = delete;

    // The login check with these credentials.
    TOperationResult login(const QString &user, const QString &password);
    // Logs in with the credentials from the parser or the environment; false (the outcome reported)
    // when it failed. Throws UsageError when no credentials are given.
    bool loginFrom(const QCommandLineParser &parser, const LoginOptions &options, int &exitCode);

    // The operations, on this process's data module and photo list.
    TPhotoSession &operations() { return dm_.Session(); }
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

// The word the login command prints for a login message number.
QString loginOutcome(int message);

} // namespace cli
