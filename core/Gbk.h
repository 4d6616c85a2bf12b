#pragma once
// Conversion between the program's texts and the GBK bytes they take in files, Base64 texts and header
// tokens. GBK is the code page of the service and of the run log.

#include <QByteArray>
#include <QString>

namespace Gbk {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// True when every character of the text has a GBK form, so encode() changes nothing.
bool canEncode(const QString &text);

} // namespace Gbk
