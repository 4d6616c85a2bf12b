#include "PhotoDatabase.h"

#include "CompanyRows.h"
#include "DatabaseStatement.h"
#include "DatabaseUrl.h"
#include "PasswordHash.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <unordered_map>

namespace {

// {blob} is the type of image bytes: BLOB in SQLite, BYTEA in PostgreSQL. Both understand the rest.
constexpr const char *kSchema[] = {
    "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS users ("
    " user_name TEXT PRIMARY KEY, salt TEXT NOT NULL, password_hash TEXT NOT NULL,"
    " user_id TEXT NOT NULL, display_name TEXT NOT NULL, org_id TEXT NOT NULL, org_name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS trades (code TEXT PRIMARY KEY, name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS photo_types ("
    " trade TEXT NOT NULL REFERENCES trades(code), code TEXT NOT NULL, name TEXT NOT NULL,"
    " position INTEGER NOT NULL, PRIMARY KEY (trade, code))",
    "CREATE TABLE IF NOT EXISTS companies ("
    " company_id TEXT PRIMARY KEY CHECK (length(company_id) = 13),"
    " customer_id TEXT NOT NULL UNIQUE, software_id TEXT NOT NULL, device_id TEXT NOT NULL,"
    " company_type TEXT NOT NULL, name TEXT NOT NULL, active INTEGER NOT NULL,"
    " photo_limit INTEGER NOT NULL, zoom_width INTEGER NOT NULL, zoom_height INTEGER NOT NULL,"
    " trade TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS photos ("
    " photo_id TEXT PRIMARY KEY, company_id TEXT NOT NULL REFERENCES companies(company_id),"
    " type_code TEXT NOT NULL, note TEXT NOT NULL, source {blob} NOT NULL, small {blob} NOT NULL,"
    " input_time TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS photos_by_company ON photos (company_id, input_time)",
    // A new random stamp for a company at every change of its photos, from any connection or process:
    // whoever keeps a list in memory compares stamps to know whether it still holds.
    "CREATE TABLE IF NOT EXISTS photo_stamps (company_id TEXT PRIMARY KEY, stamp TEXT NOT NULL)",
};

// The triggers that set the stamps, in each store's own language; {stamp} is a new random stamp.
constexpr const char *kSqliteStampTriggers[] = {
    "CREATE TRIGGER IF NOT EXISTS photos_inserted AFTER INSERT ON photos BEGIN"
    " INSERT OR REPLACE INTO photo_stamps VALUES (NEW.company_id, {stamp}); END",
    "CREATE TRIGGER IF NOT EXISTS photos_updated AFTER UPDATE ON photos BEGIN"
    " INSERT OR REPLACE INTO photo_stamps VALUES (OLD.company_id, {stamp});"
    " INSERT OR REPLACE INTO photo_stamps VALUES (NEW.company_id, {stamp}); END",
    "CREATE TRIGGER IF NOT EXISTS photos_deleted AFTER DELETE ON photos BEGIN"
    " INSERT OR REPLACE INTO photo_stamps VALUES (OLD.company_id, {stamp}); END",
};
constexpr const char *kPostgresStampTriggers[] = {
    "CREATE OR REPLACE FUNCTION photos_changed() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
    " IF TG_OP <> 'INSERT' THEN INSERT INTO photo_stamps VALUES (OLD.company_id, {stamp})"
    " ON CONFLICT (company_id) DO UPDATE SET stamp = excluded.stamp; END IF;"
    " IF TG_OP <> 'DELETE' THEN INSERT INTO photo_stamps VALUES (NEW.company_id, {stamp})"
    " ON CONFLICT (company_id) DO UPDATE SET stamp = excluded.stamp; END IF;"
    " RETURN NULL; END $$",
    "CREATE OR REPLACE TRIGGER photos_changed AFTER INSERT OR UPDATE OR DELETE ON photos"
    " FOR EACH ROW EXECUTE FUNCTION photos_changed()",
};
// Companies stored before the stamps existed get a first one.
constexpr char kFirstStamps[] = "INSERT INTO photo_stamps SELECT company_id, {stamp} FROM companies"
                                " WHERE true ON CONFLICT (company_id) DO NOTHING";

// The tables above are version 1. Each later version is the statements that turn the one before it
// into it; a database records every version applied in schema_version.
struct SchemaUpgrade {
    int version;
    const char *sql;
};
constexpr SchemaUpgrade kUpgrades[] = {
    {2, "ALTER TABLE users ADD COLUMN disabled INTEGER NOT NULL DEFAULT 0"},
};

} // namespace

namespace {

// A statement without parameters, run as it is: PostgreSQL cannot prepare BEGIN or COMMIT.
void exec(const QString &connection, const QString &sql) {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    if (!query.exec(sql)) {
        FailDatabase(QStringLiteral("\"%1\" failed").arg(sql), query.lastError());
    }
}

} // namespace

PhotoDatabase::PhotoDatabase(const QString &location) {
    QString error;
    const std::optional<DatabaseLocation> where = ParseDatabaseLocation(location, error);
    if (!where) {
        throw DatabaseError(error.toStdString());
    }
    postgres_ = where->kind == DatabaseLocation::Kind::Postgres;
    static std::atomic<int> counter{0};
    connection_ = QStringLiteral("photo-service-%1").arg(counter.fetch_add(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(
        postgres_ ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), connection_);
    if (postgres_) {
        db.setHostName(where->host);
        db.setPort(where->port);
        db.setUserName(where->user);
        db.setPassword(where->password);
        db.setDatabaseName(where->database);
        // libpq waits for a server that does not answer as long as TCP does; a request should not.
        QString options = where->connectOptions;
        if (!options.contains(QLatin1String("connect_timeout="))) {
            options += QLatin1String(options.isEmpty() ? "" : ";") + QStringLiteral("connect_timeout='5'");
        }
        db.setConnectOptions(options);
    } else {
        db.setDatabaseName(where->file);
        // Writers from other connections wait instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    const QString name = where->displayName();
    if (!db.isValid() || !db.open()) {
        const QString reason = db.isValid() ? db.lastError().text() : QStringLiteral("no driver for it");
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
        throw DatabaseError(
            QStringLiteral("cannot open database \"%1\": %2").arg(name, reason).toStdString());
    }
    prepared_ = std::make_unique<PreparedStatements>(connection_);
    try {
        configureSession();
        createSchema();
    } catch (const DatabaseError &e) {
        prepared_.reset();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
        throw DatabaseError(QStringLiteral("cannot use database \"%1\": %2")
                                .arg(name, QString::fromUtf8(e.what()))
                                .toStdString());
    }
}

void PhotoDatabase::configureSession() {
    if (postgres_) {
        // "relation already exists, skipping" at every start is no news.
        exec(connection_, QStringLiteral("SET client_min_messages TO WARNING"));
    } else {
        exec(connection_, QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(connection_, QStringLiteral("PRAGMA foreign_keys=ON"));
    }
}

bool PhotoDatabase::reopenIfBroken() {
    if (depth_ != 0) {
        return false; // inside a transaction: the outermost level decides
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (db.isOpen() && QSqlQuery(db).exec(QStringLiteral("SELECT 1"))) {
        return false; // the connection answers: the failure was something else
    }
    prepared_ = std::make_unique<PreparedStatements>(connection_); // the old ones belong to the old session
    db.close();
    if (!db.open()) {
        reopenError_ = db.lastError().text();
        return false;
    }
    reopenError_.clear();
    try {
        configureSession();
    } catch (const DatabaseError &) {
        db.close();
        return false;
    }
    return true;
}

bool PhotoDatabase::answers() {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (db.isOpen() && QSqlQuery(db).exec(QStringLiteral("SELECT 1"))) {
        return true;
    }
    return reopenIfBroken();
}

PhotoDatabase::~PhotoDatabase() {
    prepared_.reset(); // before the connection goes
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

void PhotoDatabase::createSchema() {
    inTransaction([this] {
        // Several service processes starting at once on one server would race to create the tables.
        serializeSetup();
        const QString blob = postgres_ ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
        for (const char *sql : kSchema) {
            exec(connection_, QString::fromLatin1(sql).replace(QLatin1String("{blob}"), blob));
        }
        // 128 random bits as text.
        const QString stamp = postgres_ ? QStringLiteral("gen_random_uuid()::text")
                                        : QStringLiteral("lower(hex(randomblob(16)))");
        const auto withStamp = [&](const char *sql) {
            exec(connection_, QString::fromLatin1(sql).replace(QLatin1String("{stamp}"), stamp));
        };
        if (postgres_) {
            std::for_each(std::begin(kPostgresStampTriggers), std::end(kPostgresStampTriggers), withStamp);
        } else {
            std::for_each(std::begin(kSqliteStampTriggers), std::end(kSqliteStampTriggers), withStamp);
        }
        withStamp(kFirstStamps);
        upgradeSchema();
    });
}

void PhotoDatabase::upgradeSchema() {
    exec(connection_, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version"
                                     " (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)"));
    Statement current(*prepared_, QStringLiteral("SELECT COALESCE(MAX(version), 1) FROM schema_version"));
    const int version = current.run().next() ? current.value(0).toInt() : 1;
    const int known = std::end(kUpgrades)[-1].version;
    if (version > known) {
        throw DatabaseError(QStringLiteral("its schema is version %1, newer than this program's %2; use the "
                                           "photo-service that upgraded it")
                                .arg(version)
                                .arg(known)
                                .toStdString());
    }
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    for (const SchemaUpgrade &upgrade : kUpgrades) {
        if (upgrade.version > version) {
            exec(connection_, QString::fromLatin1(upgrade.sql));
            Statement(*prepared_, QStringLiteral("INSERT INTO schema_version VALUES (?, ?)"))
                .bind(upgrade.version)
                .bind(now)
                .run();
        }
    }
}

int PhotoDatabase::schemaVersion() {
    Statement q(*prepared_, QStringLiteral("SELECT COALESCE(MAX(version), 1) FROM schema_version"));
    return q.run().next() ? q.value(0).toInt() : 1;
}

void PhotoDatabase::serializeSetup() {
    if (postgres_) {
        exec(connection_, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSetupLock));
    }
}

// SQLite: BEGIN IMMEDIATE takes the write lock at once, so a read-then-write transaction cannot be
// overtaken. PostgreSQL: a plain (read committed) transaction; the writes that depend on what they
// read lock the rows they depend on (see insertPhoto).
void PhotoDatabase::begin() {
    if (depth_ == 0) {
        try {
            exec(connection_, postgres_ ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const DatabaseError &e) {
            throw DatabaseError(e.what(), DatabaseError::NothingChanged);
        }
    }
    ++depth_;
}

void PhotoDatabase::commit() {
    if (--depth_ == 0) {
        try {
            exec(connection_, QStringLiteral("COMMIT"));
        } catch (const DatabaseError &) {
            QSqlQuery q(QSqlDatabase::database(connection_, false));
            q.exec(QStringLiteral("ROLLBACK")); // a failed COMMIT leaves the transaction open
            throw;
        }
    }
}

void PhotoDatabase::rollback() {
    if (--depth_ == 0) {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.exec(QStringLiteral("ROLLBACK")); // best effort: the original error is the one reported
    }
}

void PhotoDatabase::addUser(const UserRecord &user, const QString &password) {
    Statement(
        *prepared_,
        QStringLiteral("INSERT INTO users (user_name, salt, password_hash, user_id, display_name, org_id,"
                       " org_name) VALUES (?, '', ?, ?, ?, ?, ?) ON CONFLICT (user_name) DO UPDATE SET"
                       " salt = excluded.salt, password_hash = excluded.password_hash,"
                       " user_id = excluded.user_id, display_name = excluded.display_name,"
                       " org_id = excluded.org_id, org_name = excluded.org_name"))
        .bind(user.userName)
        .bind(PasswordHash::Make(password))
        .bind(user.userId)
        .bind(user.displayName)
        .bind(user.orgId)
        .bind(user.orgName)
        .run();
}

std::optional<UserRecord> PhotoDatabase::checkUser(const QString &userName, const QString &password) {
    Statement q(*prepared_, QStringLiteral("SELECT salt, password_hash, user_id, display_name, org_id,"
                                           " org_name FROM users WHERE user_name = ? AND disabled = 0"));
    q.bind(userName).run();
    if (!q.next()) {
        return std::nullopt;
    }
    const PasswordHash::Check check =
        PasswordHash::Verify(q.value(1).toString(), q.value(0).toString(), password);
    if (check == PasswordHash::Check::Wrong) {
        return std::nullopt;
    }
    UserRecord user{userName, q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                    q.value(5).toString()};
    if (check == PasswordHash::Check::RightButOutdated) {
        setPassword(userName, password);
    }
    return user;
}

void PhotoDatabase::addCompany(const CompanyRecord &c) {
    Statement(*prepared_,
              QStringLiteral("INSERT INTO companies (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                  .arg(kCompanyColumns))
        .bind(c.companyId)
        .bind(c.customerId)
        .bind(c.softwareId)
        .bind(c.deviceId)
        .bind(c.companyType)
        .bind(c.name)
        .bind(c.active)
        .bind(c.photoLimit)
        .bind(c.zoomWidth)
        .bind(c.zoomHeight)
        .bind(c.trade)
        .run();
}

std::optional<CompanyRecord> PhotoDatabase::companyById(const QString &companyId) {
    Statement q(*prepared_,
                QStringLiteral("SELECT %1 FROM companies WHERE company_id = ?").arg(kCompanyColumns));
    q.bind(companyId).run();
    return q.next() ? std::optional(readCompany(q)) : std::nullopt;
}

std::optional<CompanyRecord> PhotoDatabase::companyByCustomerId(const QString &customerId) {
    Statement q(*prepared_,
                QStringLiteral("SELECT %1 FROM companies WHERE customer_id = ?").arg(kCompanyColumns));
    q.bind(customerId).run();
    return q.next() ? std::optional(readCompany(q)) : std::nullopt;
}

void PhotoDatabase::addTrade(const QString &code, const QString &name) {
    Statement(*prepared_, QStringLiteral("INSERT INTO trades VALUES (?, ?)"
                                         " ON CONFLICT (code) DO UPDATE SET name = excluded.name"))
        .bind(code)
        .bind(name)
        .run();
}

void PhotoDatabase::addPhotoType(const QString &trade, const PhotoTypeRecord &type) {
    Statement(*prepared_, QStringLiteral("INSERT INTO photo_types VALUES (?, ?, ?,"
                                         " (SELECT COUNT(*) FROM photo_types WHERE trade = ?))"
                                         " ON CONFLICT (trade, code) DO UPDATE SET name = excluded.name"))
        .bind(trade)
        .bind(type.code)
        .bind(type.name)
        .bind(trade)
        .run();
}

std::optional<QList<PhotoTypeRecord>> PhotoDatabase::photoTypes(const QString &trade) {
    Statement known(*prepared_, QStringLiteral("SELECT 1 FROM trades WHERE code = ?"));
    if (!known.bind(trade).run().next()) {
        return std::nullopt;
    }
    Statement q(*prepared_, QStringLiteral("SELECT code, name FROM photo_types WHERE trade = ?"
                                           " ORDER BY position, code"));
    q.bind(trade).run();
    QList<PhotoTypeRecord> types;
    while (q.next()) {
        types.append({q.value(0).toString(), q.value(1).toString()});
    }
    return types;
}

QList<PhotoRecord> PhotoDatabase::photoList(const QString &companyId) {
    Statement q(*prepared_, QStringLiteral("SELECT photo_id, type_code, note, small, input_time"
                                           " FROM photos WHERE company_id = ?"
                                           " ORDER BY input_time, photo_id"));
    q.bind(companyId).run();
    QList<PhotoRecord> photos;
    while (q.next()) {
        PhotoRecord p;
        p.photoId = q.value(0).toString();
        p.companyId = companyId;
        p.typeCode = q.value(1).toString();
        p.note = q.value(2).toString();
        p.small = q.value(3).toByteArray();
        p.inputTime = q.value(4).toString();
        photos.append(p);
    }
    return photos;
}

std::optional<QString> PhotoDatabase::photoStamp(const QString &companyId) {
    Statement q(*prepared_, QStringLiteral("SELECT stamp FROM photo_stamps WHERE company_id = ?"));
    q.bind(companyId).run();
    return q.next() ? std::optional(q.value(0).toString()) : std::nullopt;
}

std::optional<PhotoRecord> PhotoDatabase::photo(const QString &companyId, const QString &photoId) {
    Statement q(*prepared_, QStringLiteral("SELECT type_code, note, source, small, input_time"
                                           " FROM photos WHERE company_id = ? AND photo_id = ?"));
    q.bind(companyId).bind(photoId).run();
    if (!q.next()) {
        return std::nullopt;
    }
    return PhotoRecord{photoId,
                       companyId,
                       q.value(0).toString(),
                       q.value(1).toString(),
                       q.value(2).toByteArray(),
                       q.value(3).toByteArray(),
                       q.value(4).toString()};
}

int PhotoDatabase::photoCount(const QString &companyId) {
    Statement q(*prepared_, QStringLiteral("SELECT COUNT(*) FROM photos WHERE company_id = ?"));
    q.bind(companyId).run();
    return q.next() ? q.value(0).toInt() : 0;
}

InsertOutcome PhotoDatabase::insertPhoto(const PhotoRecord &p, int limit) {
    InsertOutcome outcome = InsertOutcome::Inserted;
    inTransaction([&] {
        if (postgres_) {
            // Inserts for one company, from any service process, take their turn here; the count
            // below then sees every photo committed before.
            Statement(*prepared_, QStringLiteral("SELECT 1 FROM companies WHERE company_id = ? FOR UPDATE"))
                .bind(p.companyId)
                .run();
        }
        if (photoCount(p.companyId) >= limit) {
            outcome = InsertOutcome::LimitReached;
            return;
        }
        Statement exists(*prepared_, QStringLiteral("SELECT 1 FROM photos WHERE photo_id = ?"));
        if (exists.bind(p.photoId).run().next()) {
            outcome = InsertOutcome::Duplicate;
            return;
        }
        Statement(*prepared_, QStringLiteral("INSERT INTO photos VALUES (?, ?, ?, ?, ?, ?, ?)"))
            .bind(p.photoId)
            .bind(p.companyId)
            .bind(p.typeCode)
            .bind(p.note)
            .bind(p.source)
            .bind(p.small)
            .bind(p.inputTime)
            .run();
    });
    return outcome;
}

bool PhotoDatabase::updatePhoto(const PhotoRecord &p, bool images) {
    bool updated = false;
    // In a transaction of its own so that a connection lost before it began is known to have changed
    // nothing (see DatabaseError::nothingChanged).
    inTransaction([&] { updated = updateOne(p, images); });
    return updated;
}

bool PhotoDatabase::updateOne(const PhotoRecord &p, bool images) {
    const QString sql = images ? QStringLiteral("UPDATE photos SET type_code = ?, note = ?, source = ?,"
                                                " small = ? WHERE company_id = ? AND photo_id = ?")
                               : QStringLiteral("UPDATE photos SET type_code = ?, note = ?"
                                                " WHERE company_id = ? AND photo_id = ?");
    Statement q(*prepared_, sql);
    q.bind(p.typeCode).bind(p.note);
    if (images) {
        q.bind(p.source).bind(p.small);
    }
    return q.bind(p.companyId).bind(p.photoId).run().affected() > 0;
}

bool PhotoDatabase::deletePhoto(const QString &companyId, const QString &photoId) {
    bool deleted = false;
    inTransaction([&] {
        deleted =
            Statement(*prepared_, QStringLiteral("DELETE FROM photos WHERE company_id = ? AND photo_id = ?"))
                .bind(companyId)
                .bind(photoId)
                .run()
                .affected() > 0;
    });
    return deleted;
}

std::optional<QString> PhotoDatabase::meta(const QString &key) {
    Statement q(*prepared_, QStringLiteral("SELECT value FROM meta WHERE key = ?"));
    q.bind(key).run();
    return q.next() ? std::optional(q.value(0).toString()) : std::nullopt;
}

void PhotoDatabase::setMeta(const QString &key, const QString &value) {
    Statement(*prepared_,
              QStringLiteral(
                  "INSERT INTO meta VALUES (?, ?) ON CONFLICT (key) DO UPDATE SET value = excluded.value"))
        .bind(key)
        .bind(value)
        .run();
}
