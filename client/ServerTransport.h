#pragma once
// The transport part of the client's configuration: the protected "Scheme" entry of Config.ini
// ("http" when the entry is missing, so older files keep working) and the CA certificate file kept
// next to it, against which the server's certificate is checked instead of the system's CAs.

#include <QString>

namespace ServerTransport {

inline constexpr char kSchemeKey[] = "Scheme";
inline constexpr char kCaFileName[] = "ServerCA.pem"; // in PictureConfig/

// Decodes appPath's Scheme entry into scheme ("http" or "https") and sets caFile to the CA file when
// it exists (empty otherwise). False, with a run log line, when the entry cannot be decoded or names
// another scheme: the client must then not start rather than guess.
bool Read(const QString &appPath, QString &scheme, QString &caFile);

// The CA file's place in the program folder appPath.
QString CaFilePath(const QString &appPath);

} // namespace ServerTransport
