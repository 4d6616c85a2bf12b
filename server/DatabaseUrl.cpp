#include "DatabaseUrl.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

// A value in libpq's keyword/value syntax: in single quotes, with backslash and quote escaped, so
// that spaces or "key=value" inside it stay part of the value.
QString quoted(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

QString DatabaseLocation::displayName() const {
    if (kind == Kind::Sqlite) {
        return file;
    }
    QString where = host;
    if (!hostAddress.isEmpty()) {
        where += QStringLiteral(" (address %1)").arg(hostAddress);
    }
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, where).arg(port).arg(database);
}

std::optional<DatabaseLocation> ParseDatabaseLocation(const QString &text, QString &error) {
    DatabaseLocation location;
    if (!text.startsWith(QLatin1String("postgresql://")) && !text.startsWith(QLatin1String("postgres://"))) {
        location.file = text;
        return location;
    }
    const QUrl url(text, QUrl::StrictMode);
    location.kind = DatabaseLocation::Kind::Postgres;
    location.host = url.host();
    location.port = url.port(5432);
    location.user = url.userName();
    location.password = url.password();
    location.database = url.path().mid(1);
    const QString usage =
        QStringLiteral("--db: a PostgreSQL database is named postgresql://USER@HOST:PORT/DBNAME");
    if (!url.isValid()) {
        error = usage;
        return std::nullopt;
    }
    // libpq takes the last value of a keyword, so an option naming the host, port, user or database
    // replaces the URL's; it is taken into the location instead, so that messages name what is used.
    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    QStringList options;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!keyword.match(key).hasMatch() || value.contains(QLatin1Char(';'))) {
            // The driver turns ';' into the separator of its options: a value cannot hold one.
            error = QStringLiteral("--db: unusable option \"%1\"").arg(key);
            return std::nullopt;
        }
        bool ok = true;
        if (key == QLatin1String("host")) {
            location.host = value;
        } else if (key == QLatin1String("hostaddr")) {
            location.hostAddress = value;
        } else if (key == QLatin1String("port")) {
            location.port = value.toInt(&ok);
            ok = ok && location.port > 0 && location.port <= 65535;
        } else if (key == QLatin1String("user")) {
            location.user = value;
        } else if (key == QLatin1String("dbname")) {
            location.database = value;
        } else if (key == QLatin1String("password")) {
            location.password = value;
        } else {
            options << key + QLatin1Char('=') + quoted(value);
        }
        if (!ok) {
            error = QStringLiteral("--db: \"%1\" is not a port number").arg(value);
            return std::nullopt;
        }
    }
    if (location.host.isEmpty() || location.user.isEmpty() || location.database.isEmpty() ||
        location.database.contains(QLatin1Char('/'))) {
        error = usage;
        return std::nullopt;
    }
    if (!location.hostAddress.isEmpty()) {
        options << QStringLiteral("hostaddr=") + quoted(location.hostAddress);
    }
    location.connectOptions = options.join(QLatin1Char(';'));
    return location;
}
