#include "PasswordInput.h"

#include "core/TerminalLine.h"

#include <QFile>

#include <unistd.h>

namespace {

QString firstLine(const QByteArray &bytes) {
    QByteArray line = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return QString::fromUtf8(line);
}

} // namespace

std::optional<QString> ReadNewPassword(const QString &file, QString &error) {
    QString password;
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("--password-file: cannot read \"%1\": %2").arg(file, f.errorString());
            return std::nullopt;
        }
        password = firstLine(f.read(64 * 1024));
    } else if (::isatty(STDIN_FILENO)) {
        const auto first = TerminalLine::ReadQuietly("new password: ");
        const auto again = first ? TerminalLine::ReadQuietly("the same again: ") : std::nullopt;
        if (!again || *again != *first) {
            error = QStringLiteral("the two passwords differ; nothing changed");
            return std::nullopt;
        }
        password = *first;
    } else {
        password = TerminalLine::Read().value_or(QString());
    }
    if (password.isEmpty()) {
        error = QStringLiteral("the password is empty; nothing changed");
        return std::nullopt;
    }
    return password;
}
