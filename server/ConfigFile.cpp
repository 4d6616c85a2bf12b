#include "ConfigFile.h"

#include <QFile>
#include <QHash>

std::variant<std::vector<ConfigEntry>, QString> ReadConfigFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QStringLiteral("cannot read the configuration file %1: %2").arg(path, file.errorString());
    }
    std::vector<ConfigEntry> entries;
    QHash<QString, int> seen; // name -> line
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? QString() : line.left(equals).trimmed();
        if (name.isEmpty()) {
            return QStringLiteral("%1:%2: expected \"name = value\", got \"%3\"")
                .arg(path)
                .arg(number)
                .arg(line);
        }
        if (const auto earlier = seen.constFind(name); earlier != seen.cend()) {
            return QStringLiteral("%1:%2: %3 is set already on line %4")
                .arg(path)
                .arg(number)
                .arg(name)
                .arg(*earlier);
        }
        seen.insert(name, number);
        entries.push_back({number, name, line.mid(equals + 1).trimmed()});
    }
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("cannot read the configuration file %1: %2").arg(path, file.errorString());
    }
    return entries;
}
