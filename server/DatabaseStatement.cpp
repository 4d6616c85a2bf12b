#include "DatabaseStatement.h"

#include <QSqlDatabase>

void FailDatabase(const QString &what, const QSqlError &error) {
    throw DatabaseError((what + QStringLiteral(": ") + error.text()).toStdString());
}

QSqlQuery PreparedStatements::prepare(const QString &sql) const {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        FailDatabase(QStringLiteral("cannot prepare \"%1\"").arg(sql), query.lastError());
    }
    return query;
}
