#include "FileOper.h"

#include "Gbk.h"

#include <QFile>

#include <stdexcept>

namespace {

QString valueIn(const QString &content, const QString &section, const QString &key) {
    bool inSection = false;
    const auto lines = QStringView(content).split(u'\n');
    for (QStringView raw : lines) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = close < 0 ? line.mid(1) : line.mid(1, close - 1);
            inSection = name.trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            continue;
        }
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line.mid(eq + 1).trimmed().toString();
        }
    }
    return {};
}

} // namespace

QString TFileOper::ReadIniFile(const QString &path, const QString &section, const QString &key) {
    try {
        QFile file(path);
        if (!file.exists()) {
            return {};
        }
        if (!file.open(QIODevice::ReadOnly)) {
            throw std::runtime_error(file.errorString().toStdString());
        }
        return valueIn(Gbk::decode(file.readAll()), section, key);
    } catch (const std::exception &e) {
        WriteLog(QStringLiteral("读取ini文件失败,TFileOper->ReadIniFile中错误:") +
                 QString::fromUtf8(e.what()));
    }
    return {};
}
