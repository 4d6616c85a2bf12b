// photo-service: the reference photo service. Opens (or creates) its SQLite file, optionally adds the
// demo data, listens, and prints "listening on HOST:PORT" once it accepts connections.
// "photo-service admin ..." runs an administration command instead (AdminCommands.h).
#include "AccessControl.h"
#include "AdminCommands.h"
#include "DatabaseUrl.h"
#include "DemoSeed.h"
#include "GuardOptions.h"
#include "PhotoDatabase.h"
#include "RequestLog.h"
#include "ServiceDrain.h"
#include "ServiceOptions.h"
#include "ServiceWorkers.h"
#include "ShutdownSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <exception>

#include <memory>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

void printError(const QString &message) {
    std::fprintf(stderr, "photo-service: %s\n", message.toLocal8Bit().constData());
}

QString hostText(const QHostAddress &host) {
    return host.protocol() == QAbstractSocket::IPv6Protocol
               ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
               : host.toString();
}

// Qt's own warnings (a database driver's, for example) go into the request log as one line each.
void logQtMessage(QtMsgType, const QMessageLogContext &, const QString &message) {
    if (message.startsWith(QLatin1String("Unable to free statement"))) {
        return; // the statements of a connection that broke, dropped when it is opened again
    }
    LogRequest(QStringLiteral("qt: ") + message.trimmed());
}

// Opens the database; one that does not answer yet (a local server still starting) is tried again
// every second for up to `waitSeconds`, so that a service started with it does not fail and restart.
std::unique_ptr<PhotoDatabase> openWaiting(const QString &location, int waitSeconds) {
    QString error;
    if (!ParseDatabaseLocation(location, error)) {
        throw DatabaseError(error.toStdString()); // waiting does not mend a wrong URL
    }
    const QDeadlineTimer deadline(qint64(waitSeconds) * 1000);
    for (;;) {
        try {
            return std::make_unique<PhotoDatabase>(location);
        } catch (const DatabaseError &e) {
            if (deadline.hasExpired()) {
                throw;
            }
            LogRequest(QStringLiteral("database not ready, trying again for %1 s more: %2")
                           .arg((deadline.remainingTime() + 999) / 1000)
                           .arg(QString::fromUtf8(e.what()).simplified()));
            QThread::sleep(1);
        }
    }
}

int run(int argc, char *argv[]) {
    const pid_t parent = ::getppid(); // before anything else, so a parent that ends early is noticed
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("admin")) {
        return RunAdmin(app.arguments().mid(2));
    }
    if (app.arguments().contains(QLatin1String("--help"))) {
        std::fputs(kServiceHelp, stdout);
        return 0;
    }
    if (app.arguments().contains(QLatin1String("--version"))) {
        std::puts("photo-service " UPLOADPIC_VERSION);
        return 0;
    }
    const auto parsed = ParseServiceOptions(app.arguments().mid(1));
    if (const QString *error = std::get_if<QString>(&parsed)) {
        printError(*error);
        std::fprintf(stderr, "%s\n", kServiceUsage);
        return 2;
    }
    const ServiceOptions &options = std::get<ServiceOptions>(parsed);
    qInstallMessageHandler(logQtMessage);
    if (options.exitWithParent) {
        // A test that dies without stopping its service must not leave the service running.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            return 0; // the parent is already gone
        }
    }

    std::unique_ptr<PhotoDatabase> db;
    try {
        db = openWaiting(options.dbFile, options.dbWaitSeconds);
        if (options.seedDemo && SeedDemo(*db)) {
            QString unused;
            const auto where = ParseDatabaseLocation(options.dbFile, unused); // without a password
            LogRequest(
                QStringLiteral("demo data created in %1").arg(where ? where->displayName() : QString()));
        }
    } catch (const DatabaseError &e) {
        printError(QString::fromUtf8(e.what()));
        return 1;
    }

    db.reset(); // each answering thread opens its own connection

    AccessControl access(options.openAccess);
    ServiceWorkers server;
    if (!server.listen(options.host, options.port)) {
        printError(QStringLiteral("cannot listen on %1:%2: %3")
                       .arg(hostText(options.host))
                       .arg(options.port)
                       .arg(server.errorString()));
        return 1;
    }
    QString error;
    if (!server.startWorkers(options, access, QThread::idealThreadCount(), error)) {
        printError(error);
        return 1;
    }
    const quint16 port = server.serverPort();

    // The handlers go in before "listening on" is printed: a SIGTERM right after it drains too.
    ServiceDrain drain(server, options.connections.drainTimeoutSeconds);
    QuitOnShutdownSignals([&drain] { drain.begin(); });
    std::printf("listening on %s:%u\n", hostText(options.host).toLatin1().constData(), unsigned(port));
    std::fflush(stdout);
    const int code = app.exec();
    LogRequest(QStringLiteral("stopped"));
    return code;
}

} // namespace

int main(int argc, char *argv[]) {
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        // Nothing the service does is meant to throw this far; if it does, say so instead of aborting.
        printError(QString::fromUtf8(e.what()));
        return 1;
    }
}
