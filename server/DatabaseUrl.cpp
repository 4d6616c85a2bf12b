#include "DatabaseUrl.h"

#include <QUrl>
#include <QUrlQuery>

QString DatabaseLocation::displayName() const {
    if (kind == Kind::Sqlite) {
        return file;
    }
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
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
    if (!url.isValid() || location.host.isEmpty() || location.user.isEmpty() || location.database.isEmpty() ||
        location.database.contains(QLatin1Char('/'))) {
        error = QStringLiteral("--db: a PostgreSQL database is named postgresql://USER@HOST:PORT/DBNAME");
        return std::nullopt;
    }
    QStringList options;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key.isEmpty() || key.contains(QLatin1Char(';')) || value.contains(QLatin1Char(';'))) {
            error = QStringLiteral("--db: unusable option \"%1\"").arg(key);
            return std::nullopt;
        }
        options << key + QLatin1Char('=') + value;
    }
    location.connectOptions = options.join(QLatin1Char(';'));
    return location;
}
