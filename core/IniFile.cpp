#include "FileOper.h"

#include "Gbk.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(QStringView line) {
    if (!line.startsWith(u'[')) {
        return {};
    }
    const qsizetype close = line.indexOf(u']');
    return (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed().toString();
}

// content with key in section set to value: the first such key line replaced, or a line added at
// the end of the section, or the section added at the end.
QString withValue(const QString &content, const QString &section, const QString &key, const QString &value) {
    const QString eol =
        content.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = content.split(eol);
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    const QString entry = key + u'=' + value;
    qsizetype sectionEnd = -1; // index after the section's last non-empty line
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = QStringView(lines.at(i)).trimmed();
        if (const QString name = sectionOf(line); !name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        sectionEnd = i + 1;
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = entry;
            return lines.join(eol) + eol;
        }
    }
    if (sectionEnd < 0) {
        lines.append(u'[' + section + u']');
        lines.append(entry);
    } else {
        lines.insert(sectionEnd, entry);
    }
    return lines.join(eol) + eol;
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

bool TFileOper::WriteIniFile(const QString &path, const QString &section, const QString &key,
                             const QString &value) {
    try {
        QString content;
        QFile old(path);
        if (old.exists()) {
            if (!old.open(QIODevice::ReadOnly)) {
                throw std::runtime_error(old.errorString().toStdString());
            }
            content = Gbk::decode(old.readAll());
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            throw std::runtime_error("cannot create the folder of " + path.toStdString());
        }
        WriteWholeFile(path, Gbk::encode(withValue(content, section, key, value)));
        return true;
    } catch (const std::exception &e) {
        WriteLog(QStringLiteral("写入ini文件失败,TFileOper->WriteIniFile中错误:") +
                 QString::fromUtf8(e.what()));
    }
    return false;
}
