#include "PasswordInput.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace {

// One line from the terminal with echo off.
std::optional<QString> askQuietly(const char *prompt) {
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (quiet) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputs("\n", stderr);
    return read ? std::optional(QString::fromStdString(line)) : std::nullopt;
}

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
        const auto first = askQuietly("new password: ");
        const auto again = first ? askQuietly("the same again: ") : std::nullopt;
        if (!again || *again != *first) {
            error = QStringLiteral("the two passwords differ; nothing changed");
            return std::nullopt;
        }
        password = *first;
    } else {
        std::string line;
        std::getline(std::cin, line);
        password = firstLine(QByteArray::fromStdString(line));
    }
    if (password.isEmpty()) {
        error = QStringLiteral("the password is empty; nothing changed");
        return std::nullopt;
    }
    return password;
}
