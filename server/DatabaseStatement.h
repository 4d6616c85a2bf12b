#pragma once
// The statements of one database connection, and a statement that throws DatabaseError when it fails,
// shared by the files that make up PhotoDatabase.

#include "PhotoDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <optional>
#include <unordered_map>

// The statements of one connection, prepared once each.
class PreparedStatements {
public:
    explicit PreparedStatements(QString connection) : connection_(std::move(connection)) {}

    // The statement of `sql`; a new one in `own` while the kept one is still being read.
    QSqlQuery &take(const QString &sql, std::optional<QSqlQuery> &own) {
        auto found = queries_.find(sql);
        if (found == queries_.end()) {
            found = queries_.emplace(sql, prepare(sql)).first;
        }
        if (!found->second.isActive()) {
            return found->second;
        }
        own = prepare(sql);
        return *own;
    }

private:
    QSqlQuery prepare(const QString &sql) const;

    QString connection_;
    std::unordered_map<QString, QSqlQuery> queries_;
};

// Throws DatabaseError: `what`, then the driver's text.
[[noreturn]] void FailDatabase(const QString &what, const QSqlError &error,
                               DatabaseError::Effect effect = DatabaseError::MayHaveChanged);

// A prepared statement that throws on failure, so no caller can forget to check. Run from the
// connection's own statements, each prepared once; one still being read is not taken again.
class Statement {
public:
    Statement(PreparedStatements &prepared, const QString &sql) : query_(&prepared.take(sql, own_)) {}
    ~Statement() { query_->finish(); } // a statement left open would hold its snapshot of the store
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(const QVariant &value) {
        query_->bindValue(bound_++, value);
        return *this;
    }
    Statement &run() {
        if (!query_->exec()) {
            const bool read = query_->lastQuery().startsWith(QLatin1String("SELECT"));
            FailDatabase(QStringLiteral("query failed"), query_->lastError(),
                         read ? DatabaseError::NothingChanged : DatabaseError::MayHaveChanged);
        }
        return *this;
    }
    bool next() { return query_->next(); }
    QVariant value(int i) const { return query_->value(i); }
    int affected() const { return query_->numRowsAffected(); }

private:
    std::optional<QSqlQuery> own_; // when the prepared one is in use
    QSqlQuery *query_;
    int bound_ = 0;
};
