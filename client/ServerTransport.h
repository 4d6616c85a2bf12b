#pragma once
// The transport part of the client's configuration: the protected "Scheme" entry of Config.ini
// ("http" when the entry is missing, so older files keep working) and the CA certificate file kept
// next to it, against which the server's certificate is checked instead of the system's CAs.

#include <QString>

namespace ServerTransport {

inline constexpr char kSchemeKey[] = "Scheme";
inline constexpr char kCaFileName[] = "ServerCA.pem"; // in PictureConfig/
// Protected entry naming kCaFileName when the configuration was written with a CA file: that file is
// then required, and its loss is an error rather than a switch to the system's CAs.
inline constexpr char kCaKey[] = "CaFile";

// Decodes appPath's Scheme entry into scheme ("http" or "https") and sets caFile to the CA file when
// the CaFile entry names it (whether or not it still exists) or, for a file without that entry, when
// it exists (empty otherwise: the system's CAs). False, with a run log line, when the entry cannot be decoded
// or names another scheme: the client must then not start rather than guess.
bool Read(const QString &appPath, QString &scheme, QString &caFile);

// The CA file's place in the program folder appPath.
QString CaFilePath(const QString &appPath);

} // namespace ServerTransport
