#pragma once
// Long Base64 contents (the photos of a message) taken out of the message before the XML reader
// sees it: the reader then tokenises a small skeleton instead of every character of the photos, and
// each photo is decoded once, straight from the message's bytes, as the message is scanned.
//
// A run is lifted when it is element content of at least kMinRun characters between '>' and '<',
// made only of the Base64 alphabet with "=" fill at its end only, a whole number of groups and
// canonical fill bits: such a run decodes on its own exactly as the lenient decoder would decode it,
// and its Base64 form can be written back byte for byte. In its place the skeleton holds a marker,
// U+E000, the run's index, U+E001. The text the reader sees is then the message's text with every
// run replaced by its marker, in whatever context the run stood (content, comment, CDATA section).
// Nothing is lifted from a message that the reader would not take as UTF-8 or that could spell a
// marker itself (the marker characters, or a character reference).

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Soap {

class Base64Runs {
public:
    static constexpr qsizetype kMinRun = 1024;

    Base64Runs();
    Base64Runs(Base64Runs &&) noexcept;
    Base64Runs &operator=(Base64Runs &&) noexcept;
    ~Base64Runs();

    // The skeleton of the message as one piece, the pieces freed as they are scanned; or the pieces
    // themselves, untouched, when nothing may be lifted.
    QByteArrayList lift(QByteArrayList &&parts);

    // lift() for a message that is still arriving: feed() its pieces in order as they come (each is
    // scanned at once, so the decoding overlaps the transfer, and copied only while it is not known
    // yet whether anything may be lifted), then finish() gives what lift() gives for the whole
    // message.
    void feed(QByteArrayView piece);
    void feed(const QByteArray &piece); // kept, when it must be, without a copy
    QByteArrayList finish();
    // Called with each run fed as soon as it is decoded, before the rest of the message is read.
    void setRunObserver(std::function<void(const QByteArray &)> observer);

    bool empty() const { return runs_.empty(); }
    // The decoded run whose marker is exactly text, moved out; nullopt when text is not one marker.
    std::optional<QByteArray> take(QStringView text);
    // text with every marker written back as its Base64 characters.
    QString restore(QString text) const;

private:
    class Feed;
    // The state of the message being fed, begun with its first piece.
    Feed &feedState();

    std::vector<QByteArray> runs_; // decoded
    std::unique_ptr<Feed> feed_;   // the state of feed() between pieces
    std::function<void(const QByteArray &)> observer_;
};

} // namespace Soap
