#pragma once
// Reads the text forms the client puts on the wire, strictly: Base64 texts (Base64 of GBK bytes, CR LF
// line breaks allowed) and header tokens (a random letter after every Base64 character). Where the
// client's own decoder skips what it does not understand, the service refuses it, so that a garbled
// header or field is answered with its result code instead of being looked up as some other text.

#include <QString>

#include <optional>

namespace WireText {

// The text whose Base64 form is given; nullopt when it is not well-formed Base64 of GBK bytes.
std::optional<QString> ReadBase64Text(const QString &base64);

// The text a header token carries (its characters at odd positions, read as a Base64 text);
// nullopt when those characters are not well-formed Base64 of GBK bytes.
std::optional<QString> ReadHeaderToken(const QString &token);

} // namespace WireText
