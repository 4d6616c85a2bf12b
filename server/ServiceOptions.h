#pragma once
// The command line of photo-service:
//   photo-service --listen HOST:PORT --db FILE|postgresql://USER@HOST:PORT/DBNAME [--seed-demo]
//                 [--max-request-bytes N] [--exit-with-parent] [--tls-cert FILE --tls-key FILE]
//                 [--db-wait S] [guard options, see GuardOptions.h] [--config FILE]
// Every option may also be set in the file of --config (ConfigFile.h); the command line wins.

#include "ConnectionGuard.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <variant>

struct ServiceOptions {
    QHostAddress host;
    quint16 port = 0; // 0: any free port
    QString dbFile;
    int dbWaitSeconds = 0; // at start, how long to keep trying to open a database that is not up yet
    bool seedDemo = false;
    qint64 maxRequestBytes = 32 * 1024 * 1024; // larger requests are refused unread
    bool exitWithParent = false;               // stop when the process that started the service ends (tests)
    QString tlsCertFile;                       // both set: HTTPS (see TlsServerSetup.h); both empty: HTTP
    QString tlsKeyFile;
    bool openAccess = false;                     // company operations without a login from the address
    qsizetype listCacheBytes = 64 * 1024 * 1024; // photo lists kept in their written form (PhotoListCache.h)
    ConnectionLimits connections;
};

// The options, or a message saying what is wrong with the arguments (program name excluded).
std::variant<ServiceOptions, QString> ParseServiceOptions(const QStringList &arguments);

inline constexpr char kServiceUsage[] =
    "usage: photo-service --listen HOST:PORT --db FILE|postgresql://USER@HOST:PORT/DBNAME "
    "[--config FILE] [--db-wait S] [--seed-demo] [--max-request-bytes N] [--exit-with-parent] [--tls-cert "
    "FILE --tls-key FILE] "
    "[--idle-timeout S] [--request-timeout S] [--drain-timeout S] [--max-connections-per-address N] "
    "[--open-access] [--help]";
