#pragma once
// Long Base64 contents (the photos of a message) taken out of the message before the XML reader
// sees it: the reader then tokenises a small skeleton instead of every character of the photos, and
// each photo is decoded once, straight from the message's bytes.
//
// A run is lifted when it is element content of at least kMinRun characters between '>' and '<',
// made only of the Base64 alphabet with "=" fill at its end only, a whole number of groups and
// canonical fill bits: such a run decodes on its own exactly as the lenient decoder would decode it,
// and its Base64 form can be written back byte for byte. In its place the skeleton holds a marker,
// U+E000, the run's index, U+E001. Nothing is lifted from a message that declares an encoding other
// than UTF-8 or that could spell a marker itself (the marker characters, or a character reference).

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace Soap {

class Base64Runs {
public:
    static constexpr qsizetype kMinRun = 1024;

    // The skeleton of the message as one piece, the pieces freed as they are scanned; or the pieces
    // themselves, untouched, when nothing may be lifted.
    QByteArrayList lift(QByteArrayList &&parts);

    bool empty() const { return runs_.empty(); }
    // The run whose marker is exactly text, moved out; nullopt when text is not one whole marker.
    std::optional<QByteArray> take(QStringView text);
    // text with every marker written back as its Base64 characters.
    QString restore(QStringView text) const;

private:
    std::vector<QByteArray> runs_; // decoded
};

} // namespace Soap
