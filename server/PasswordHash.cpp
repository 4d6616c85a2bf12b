#include "PasswordHash.h"

#include <QCryptographicHash>

#include <sodium.h>

#include <stdexcept>

namespace {

constexpr char kArgon2idPrefix[] = "$argon2id$";
// 19 MiB and 2 passes: the widely recommended minimum for Argon2id. libsodium's "interactive" 64 MiB
// cost about 150 ms of a core per login here, which every login of every client pays.
const unsigned long long kOps = 2;
const size_t kMemory = size_t{19} * 1024 * 1024;

void initialise() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) {
        throw std::runtime_error("libsodium could not be initialised");
    }
}

} // namespace

namespace PasswordHash {

QString Make(const QString &password) {
    initialise();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()), kOps,
                          kMemory) != 0) {
        throw std::runtime_error("not enough memory to hash a password");
    }
    return QString::fromLatin1(out);
}

Check Verify(const QString &stored, const QString &legacySalt, const QString &password) {
    initialise();
    const QByteArray utf8 = password.toUtf8();
    const QByteArray hash = stored.toLatin1();
    if (hash.startsWith(kArgon2idPrefix)) {
        if (hash.size() >= crypto_pwhash_STRBYTES ||
            crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                     static_cast<unsigned long long>(utf8.size())) != 0) {
            return Check::Wrong;
        }
        return crypto_pwhash_str_needs_rehash(hash.constData(), kOps, kMemory) == 0 ? Check::Right
                                                                                    : Check::RightButOutdated;
    }
    if (legacySalt.isEmpty()) {
        return Check::Wrong; // neither form: a disabled or damaged entry
    }
    const QByteArray legacy =
        QCryptographicHash::hash((legacySalt + password).toUtf8(), QCryptographicHash::Sha256).toHex();
    if (legacy.size() != hash.size() ||
        sodium_memcmp(legacy.constData(), hash.constData(), legacy.size()) != 0) {
        return Check::Wrong;
    }
    return Check::RightButOutdated;
}

QString Kind(const QString &stored) {
    return stored.startsWith(QLatin1String(kArgon2idPrefix))
               ? QStringLiteral("argon2id")
               : QStringLiteral("sha256 (replaced at the next login)");
}

} // namespace PasswordHash
