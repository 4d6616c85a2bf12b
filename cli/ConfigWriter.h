#pragma once
// Writes the client's configuration file in its protected form: each value as the hex digits of the
// DES-ECB encryption (under the client's key text) of its zero-padded Base64 text.

#include <QString>

namespace cli {

// The protected form of one plain value, upper-case hex.
QString ProtectValue(const QString &plain);

// Writes folder/PictureConfig/Config.ini whole (creating PictureConfig); false with a reason on failure.
// With tls the file gains the protected Scheme entry "https"; without it, it has no Scheme entry (HTTP).
// caFile (only with tls) is checked to hold PEM certificates and copied to PictureConfig/ServerCA.pem,
// which the CaFile entry then requires;
// without it any earlier copy is removed, so the system's CAs apply.
bool WriteConfigFile(const QString &folder, const QString &ip, const QString &port, QString &error,
                     bool tls = false, const QString &caFile = QString());

} // namespace cli
