#pragma once
// Where a test keeps the service's data. By default a SQLite file; when UPLOADPIC_TEST_PG names the
// administrative database of a PostgreSQL server (tests/support/with-postgres.sh starts one and sets
// it), a new empty database on that server instead, so the same suites run against both stores.

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUrl>

#include <atomic>
#include <stdexcept>

namespace TestDatabase {

inline QString adminUrl() {
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("UPLOADPIC_TEST_PG"));
}

inline bool onPostgres() {
    return !adminUrl().isEmpty();
}

// sqliteFile itself, or the URL of a database created for this call on the test's PostgreSQL server.
inline QString fresh(const QString &sqliteFile) {
    const QUrl admin(adminUrl());
    if (admin.isEmpty()) {
        return sqliteFile;
    }
    static std::atomic<int> counter{0};
    const QString name =
        QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetch_add(1));
    const QString connection = QStringLiteral("test-admin-") + name;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(admin.host());
        db.setPort(admin.port(5432));
        db.setUserName(admin.userName());
        db.setDatabaseName(admin.path().mid(1));
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name)) {
            const QString error = db.lastError().text();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection);
            throw std::runtime_error(("cannot create a test database: " + error).toStdString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    QUrl url = admin;
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// How many sessions of location's PostgreSQL database wait for a lock now; 0 for SQLite.
inline int sessionsWaitingForLocks(const QString &location) {
    const QUrl url(location);
    if (url.scheme() != u"postgresql") {
        return 0;
    }
    const QString connection = QStringLiteral("test-locks");
    int waiting = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        QSqlQuery q(db);
        if (db.open() &&
            q.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type ="
                                  " 'Lock' AND datname = current_database()")) &&
            q.next()) {
            waiting = q.value(0).toInt();
        }
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return waiting;
}

} // namespace TestDatabase
