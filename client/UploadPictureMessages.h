#pragma once
// The run log texts of the service client: one per result code and operation, and the texts that
// precede a caught exception's message. The texts are the system's own and must stay byte for byte.

#include <QString>

enum class PhotoOperation { List, Fetch, Insert, Update, Delete };

// The log text for a result code other than "1110" of a photo operation.
QString PhotoCodeMessage(PhotoOperation op, const QString &code);
// The text a caught exception's message is appended to.
QString PhotoExceptionText(PhotoOperation op);

// The line for an operation that the user cancelled while it waited for the server.
QString PhotoCancelledText(PhotoOperation op);

// Login check and company query: the log text for a result code other than "1110".
QString LoginCodeMessage(const QString &code);
QString QueryCodeMessage(const QString &code);
QString LoginExceptionText();
QString QueryExceptionText();
QString LoginCancelledText();
QString QueryCancelledText();

// Failures while filling the photo list or the photo type list.
QString FillListExceptionText();
