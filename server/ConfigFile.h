#pragma once
// The service's configuration file: one "name = value" per line, the names those of the long options
// without their dashes; blank lines and lines starting with '#' are skipped. The value is the rest of
// the line with the spaces around it removed, so it may hold spaces and '#'.

#include <QString>

#include <variant>
#include <vector>

struct ConfigEntry {
    int line = 0; // 1-based, for messages
    QString name;
    QString value;
};

// The entries in file order, or a message naming the file (and the line) of what is wrong: a file that
// cannot be read, a line without '=', an empty name, a name given twice.
std::variant<std::vector<ConfigEntry>, QString> ReadConfigFile(const QString &path);
