#include "DatabaseStatement.h"

#include <QSqlDatabase>

void FailDatabase(const QString &what, const QSqlError &error, DatabaseError::Effect effect) {
    throw DatabaseError((what + QStringLiteral(": ") + error.text()).toStdString(), effect);
}

QSqlQuery PreparedStatements::prepare(const QString &sql) const {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        // Nothing runs before it is prepared.
        FailDatabase(QStringLiteral("cannot prepare \"%1\"").arg(sql), query.lastError(),
                     DatabaseError::NothingChanged);
    }
    return query;
}
