#pragma once
// Text from outside (a server's answer, a file) shown on a terminal or written into a line of the run
// log: its control characters become visible escapes, so that it can neither start a line of its own
// nor steer the terminal.

#include <QString>
#include <QStringView>

// text with every control character (C0, DEL, C1, the line and paragraph separators and the bidi
// embedding, override and isolate marks) written as an escape: "\n", "\r", "\t", "\xHH" or
// "\u{HHHH}". Characters in keep stay as they are (a tab that separates fields the program wrote).
QString ShownText(QStringView text, QStringView keep = {});
