#pragma once
// Base64 of large byte arrays (photos in messages) without intermediate copies: encoding appends to
// the message being built, decoding reads the characters where they already are (bytes or UTF-16
// text), in as many pieces as they come, into one buffer sized once.

#include <QByteArray>
#include <QStringView>

// Appends the Base64 form of bytes (no line breaks, "=" fill) to out.
void AppendBase64(QByteArray &out, QByteArrayView bytes);

// Strict decoding of whole groups: decodes groups of four alphabet characters from the start of
// text into out (3 bytes each, room for them provided by the caller) and stops before the first
// group that holds any other character, fill included, or is incomplete. Returns the characters
// consumed, a multiple of 4. Such groups encode back to the same characters.
qsizetype DecodeBase64Groups(QByteArrayView text, char *out);

// Lenient decoding: characters outside the alphabet (line breaks, blanks, anything else) are
// skipped; a "=" ends the current group.
class Base64Decoder {
public:
    void feed(QByteArrayView text);
    void feed(QStringView text);
    // The bytes decoded so far, a trailing partial group included; the decoder starts over.
    QByteArray take();
    // The bytes of the whole groups decoded so far, for a caller that hands them on as they come;
    // dropDecoded() forgets them and keeps the buffer for the next pieces.
    QByteArrayView decoded() const { return {out_.constData(), length_}; }
    void dropDecoded() { length_ = 0; }

private:
    template <typename Char> void feedChars(const Char *chars, qsizetype count);
    void flushPartial();

    QByteArray out_;
    qsizetype length_ = 0; // bytes of out_ written
    unsigned int group_ = 0;
    int count_ = 0; // sextets in group_
};
