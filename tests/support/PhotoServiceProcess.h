#pragma once
// Starts the reference photo service for one test: photo-service next to the test executable, on a
// free loopback port, with its own database file. Waits for its "listening on" line; stops it when
// the object goes.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

class PhotoServiceProcess {
public:
    explicit PhotoServiceProcess(const QString &dbFile, bool seedDemo = true,
                                 const QStringList &extraArguments = {}) {
        QStringList arguments{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                              QStringLiteral("--db"), dbFile};
        if (seedDemo) {
            arguments << QStringLiteral("--seed-demo");
        }
        // A test that crashes takes its service with it.
        arguments << QStringLiteral("--exit-with-parent");
        arguments << extraArguments;
        // The request log goes to the test's own stderr, next to the test's messages.
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"), arguments);
        if (!process_.waitForStarted(30000)) {
            return;
        }
        // The first line on stdout names the bound port once the service accepts connections.
        const QDeadlineTimer deadline(60000);
        while (!process_.canReadLine() && process_.state() == QProcess::Running && !deadline.hasExpired()) {
            process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        }
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        const QString prefix = QStringLiteral("listening on 127.0.0.1:");
        if (line.startsWith(prefix)) {
            bool ok = false;
            const uint port = line.mid(prefix.size()).toUInt(&ok);
            if (ok && port > 0 && port <= 65535) {
                port_ = static_cast<quint16>(port);
            }
        }
    }

    ~PhotoServiceProcess() { stop(); }

    // Asks the service to stop (SIGTERM, which it answers by closing its database) and waits; the
    // exit code, or -1 when it had to be killed or crashed.
    int stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(30000)) {
                process_.kill();
                process_.waitForFinished(30000);
                return -1;
            }
        }
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    PhotoServiceProcess(const PhotoServiceProcess &) = delete;
    PhotoServiceProcess &operator=(const PhotoServiceProcess &) = delete;

    bool started() const { return port_ != 0 && process_.state() == QProcess::Running; }
    quint16 port() const { return port_; }
    QString endpoint() const { return QStringLiteral("http://127.0.0.1:%1/PictureService.asmx").arg(port_); }
    // The service's exit code after it stopped by itself (for tests of bad arguments).
    QProcess &process() { return process_; }

private:
    QProcess process_;
    quint16 port_ = 0;
};
