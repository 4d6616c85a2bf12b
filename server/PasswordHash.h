#pragma once
// How the service keeps passwords: Argon2id (libsodium's crypto_pwhash_str, 19 MiB and 2 passes), a
// memory-hard hash that makes guessing from a stolen database slow even on graphics cards, in a
// self-describing text that holds its salt and parameters. Users stored before
// it have a hex SHA-256 of salt + password; such a hash is still accepted and replaced at the next
// successful login.

#include <QString>

namespace PasswordHash {

enum class Check {
    Wrong,
    Right,
    RightButOutdated, // right, and the stored hash should be replaced by Make(password)
};

// A new hash of `password`; throws std::runtime_error when the memory for it is not available.
QString Make(const QString &password);

// Checks `password` against a stored hash; `legacySalt` is the salt of an old SHA-256 hash (empty for
// an Argon2id one).
Check Verify(const QString &stored, const QString &legacySalt, const QString &password);

// "argon2id" or "sha256 (replaced at the next login)", for listings.
QString Kind(const QString &stored);

} // namespace PasswordHash
