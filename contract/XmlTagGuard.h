#pragma once
// A linear check of a message before the XML reader sees it. The reader checks the attributes of a
// start tag for duplicates in quadratic time, so one tag with a hundred thousand attributes keeps it
// busy for minutes; no message of the contract needs more than a few attributes on a tag or a tag
// of more than a few hundred bytes.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <optional>

namespace Soap {

inline constexpr qsizetype kMaxStartTagBytes = 64 * 1024;
// The most any message of the contract puts on one tag is the envelope's namespace declarations
// and an xsi:type or xsi:nil; peers declare a few more namespaces.
inline constexpr int kMaxTagAttributes = 16;

// Why the message is refused, or nothing when every start tag is within the bounds above.
std::optional<QString> CheckXmlTags(const QByteArray &message);
// The same for a message kept in the pieces it arrived in.
std::optional<QString> CheckXmlTags(const QByteArrayList &parts);

} // namespace Soap
