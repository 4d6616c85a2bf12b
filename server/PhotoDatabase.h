#pragma once
// The service's store: users, companies, the photo types of each trade and the photos, in one SQLite
// file (WAL mode, so several connections and processes may share it) or in a PostgreSQL database
// (which several service processes share). One instance is one connection and belongs to the thread
// that created it; open one per thread.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

// The database could not be opened, read or written; what() says why, in the database's words.
class DatabaseError : public std::runtime_error {
public:
    enum Effect { MayHaveChanged, NothingChanged };
    explicit DatabaseError(const std::string &what, Effect effect = MayHaveChanged)
        : std::runtime_error(what), effect_(effect) {}
    // True when the failure left the store as it was (a read, the start of a transaction, or anything
    // inside one that did not commit), so the work may be done again; false when a write outside a
    // transaction or a COMMIT failed, which may have taken effect.
    bool nothingChanged() const { return effect_ == NothingChanged; }

private:
    Effect effect_;
};

struct UserRecord {
    QString userName;
    QString userId;
    QString displayName;
    QString orgId;
    QString orgName;
};

// A user as an administrator sees it.
struct UserEntry {
    UserRecord user;
    bool disabled = false;
    QString hashKind; // PasswordHash::Kind
};

struct CompanyRecord {
    QString companyId;  // the 13 characters a user types
    QString customerId; // opaque identifiers handed to the client by the company query
    QString softwareId;
    QString deviceId;
    QString companyType;
    QString name;
    QString trade;  // selects the photo type list
    int active = 1; // 1 active, 0 deactivated, anything else: state unknown
    int photoLimit = 0;
    int zoomWidth = 0;
    int zoomHeight = 0;
};

struct PhotoTypeRecord {
    QString code;
    QString name;
};

struct PhotoRecord {
    QString photoId;
    QString companyId;
    QString typeCode;
    QString note;
    QByteArray source; // JPEG bytes
    QByteArray small;  // JPEG bytes
    QString inputTime; // "yyyy-MM-dd HH:mm:ss"
};

enum class InsertOutcome { Inserted, LimitReached, Duplicate };

class PreparedStatements;

class PhotoDatabase {
public:
    // Opens a SQLite file or a postgresql:// URL (see DatabaseUrl.h), creating the schema when missing;
    // throws DatabaseError when it cannot.
    explicit PhotoDatabase(const QString &location);
    ~PhotoDatabase();
    PhotoDatabase(const PhotoDatabase &) = delete;
    PhotoDatabase &operator=(const PhotoDatabase &) = delete;

    // Users. Passwords are kept as hashes only (PasswordHash.h). addUser replaces a user of that name.
    void addUser(const UserRecord &user, const QString &password);
    // The user when the password is right and the user not disabled; an outdated hash is replaced.
    std::optional<UserRecord> checkUser(const QString &userName, const QString &password);
    // False when there is no such user.
    bool setPassword(const QString &userName, const QString &password);
    bool setUserDisabled(const QString &userName, bool disabled);
    QList<UserEntry> users();

    // Companies.
    void addCompany(const CompanyRecord &company);
    // Replaces every field but the company ID; false when there is no such company.
    bool updateCompany(const CompanyRecord &company);
    QList<CompanyRecord> companies();
    std::optional<CompanyRecord> companyById(const QString &companyId);
    std::optional<CompanyRecord> companyByCustomerId(const QString &customerId);

    // Trades and their photo types, in list order; nullopt when the trade is not configured.
    void addTrade(const QString &code, const QString &name);
    QList<PhotoTypeRecord> trades(); // code and name of each trade
    void addPhotoType(const QString &trade, const PhotoTypeRecord &type);
    std::optional<QList<PhotoTypeRecord>> photoTypes(const QString &trade);

    // Photos of one company. The list carries no source versions, to keep it small.
    QList<PhotoRecord> photoList(const QString &companyId);
    // A text that changes whenever a photo of the company is added, changed or deleted, by any
    // connection or process; nullopt for a company whose photos never changed. Read it before the
    // photos: what is read after it is at least as new as the stamp.
    std::optional<QString> photoStamp(const QString &companyId);
    std::optional<PhotoRecord> photo(const QString &companyId, const QString &photoId);
    int photoCount(const QString &companyId);
    // Inserts unless the company already holds `limit` photos or the ID exists; the count and the
    // insert form one write transaction, so concurrent inserts cannot pass the limit together.
    InsertOutcome insertPhoto(const PhotoRecord &photo, int limit);
    // Sets type and note; replaces both images only when `images` is true. False when no such photo.
    bool updatePhoto(const PhotoRecord &photo, bool images);
    bool deletePhoto(const QString &companyId, const QString &photoId);

    // After a DatabaseError outside any transaction: when the connection no longer answers (the
    // server restarted, the network broke), opens it again and says true; false when the connection
    // still answers or cannot be opened yet (the next failure tries again).
    bool reopenIfBroken();
    // Whether the database answers a trivial query now, opening a broken connection again first.
    bool answers();
    // Why the last reopenIfBroken could not open the connection; empty when it could.
    QString reopenError() const { return reopenError_; }

    // Small key/value notes about the file itself (for example whether the demo data was seeded).
    std::optional<QString> meta(const QString &key);
    void setMeta(const QString &key, const QString &value);

    // The schema's version: 1 for the first tables, one more for every upgrade applied at start.
    int schemaVersion();

    // Inside a transaction: waits until no other process is creating the schema or seeding, and keeps
    // them waiting until this transaction ends (PostgreSQL; SQLite's write lock already does this).
    void serializeSetup();

    // Runs `work` inside one write transaction (joining the enclosing one when nested); rolls back and
    // rethrows when it throws.
    template <typename Work> void inTransaction(Work &&work) {
        begin();
        try {
            work();
        } catch (const DatabaseError &e) {
            rollback();
            // Nothing of a transaction that did not commit stays, even when the connection broke.
            throw DatabaseError(e.what(), DatabaseError::NothingChanged);
        } catch (...) {
            rollback();
            throw;
        }
        commit();
    }

private:
    void begin();
    void commit();
    void rollback();
    void configureSession();
    void createSchema();
    bool updateOne(const PhotoRecord &photo, bool images);
    void upgradeSchema();

    static constexpr int kSetupLock = 160016; // PostgreSQL advisory lock key of schema and seeding

    QString connection_;
    std::unique_ptr<PreparedStatements> prepared_;
    bool postgres_ = false;
    QString reopenError_;
    int depth_ = 0; // nesting of inTransaction; only the outermost level talks to SQLite
};
