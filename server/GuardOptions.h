#pragma once
// The command-line options that guard the service against abuse (connections and access), parsed
// apart from the others, and the help text that explains all options.

#include <QString>
#include <QStringList>

struct ServiceOptions;

// Reads the guard option at arguments[i] into `options`: the number of arguments it took, 0 when
// arguments[i] is no guard option, -1 with `error` set when its value is wrong.
int ParseGuardOption(const QStringList &arguments, qsizetype i, ServiceOptions &options, QString &error);

inline constexpr char kServiceHelp[] =
    "photo-service: the reference photo service (SOAP 1.1 over HTTP or HTTPS, SQLite or PostgreSQL)\n"
    "  --listen HOST:PORT       address and port to listen on (port 0: any free port)\n"
    "  --db FILE                the SQLite file, created when missing\n"
    "  --db postgresql://USER@HOST:PORT/DBNAME\n"
    "                           a PostgreSQL database instead; its tables are created when missing\n"
    "  --db-wait S              at start, keep trying for up to S seconds to open a database that\n"
    "                           does not answer yet (default 0: give up at once)\n"
    "  --config FILE            read options from FILE, one \"name = value\" per line (names as the\n"
    "                           long options without dashes; \"true\" for switches; # comments); the\n"
    "                           command line wins\n"
    "  --tls-cert FILE --tls-key FILE\n"
    "                           serve HTTPS with this PEM certificate chain and private key\n"
    "  --seed-demo              add the demo data once\n"
    "  --max-request-bytes N    largest request accepted (default 32 MiB); larger ones get HTTP 413\n"
    "  --idle-timeout S         close a connection idle for S seconds (default 30)\n"
    "  --request-timeout S      close a connection whose request is not complete after S seconds\n"
    "                           (default 120)\n"
    "  --max-connections-per-address N\n"
    "                           connections one client address may hold (default 100); further ones\n"
    "                           get HTTP 503 and are closed\n"
    "  --drain-timeout S        on SIGTERM, stop accepting and let the requests in flight finish for up\n"
    "                           to S seconds (default 10), then exit 0\n"
    "  --open-access            answer company operations for any address; by default only for an\n"
    "                           address that logged in successfully within the last 30 minutes\n"
    "  --exit-with-parent       stop when the process that started the service ends\n"
    "  --version                the program's version\n"
    "  --help                   this text\n";
