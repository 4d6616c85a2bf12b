#include "PasswordSource.h"

#include "CliCommand.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

QString withoutLineEnd(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return QString::fromStdString(line);
}

// One line from the terminal with echo off; the terminal's settings come back whatever happens.
QString askQuietly() {
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    termios saved{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::string line;
    std::getline(std::cin, line);
    if (quiet) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputs("\n", stderr);
    return withoutLineEnd(line);
}

} // namespace

QString ReadPassword(const std::optional<QString> &given, bool fromStdin) {
    if (fromStdin) {
        if (given) {
            throw UsageError(QStringLiteral("--password-stdin and a password argument exclude each other"));
        }
        std::string line;
        std::getline(std::cin, line);
        return withoutLineEnd(line);
    }
    if (given) {
        return *given;
    }
    if (qEnvironmentVariableIsSet("UPLOADPIC_PASSWORD")) {
        return qEnvironmentVariable("UPLOADPIC_PASSWORD");
    }
    if (::isatty(STDIN_FILENO)) {
        return askQuietly();
    }
    throw UsageError(QStringLiteral("a password is needed: set UPLOADPIC_PASSWORD, pipe it with "
                                    "--password-stdin, or run on a terminal to be asked"));
}

} // namespace cli
