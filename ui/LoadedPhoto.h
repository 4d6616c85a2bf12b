#pragma once
// The photo the main window has loaded from the cache for its preview: the file's bytes exactly as
// cached (they are handed on unchanged) once the file is known to be a readable image.

#include <QByteArray>
#include <QString>

class TLoadedPhoto {
public:
    // Loads the file; throws std::runtime_error naming the problem when it is no readable image, and
    // then keeps the photo it had.
    void LoadFromFile(const QString &path);
    void Clear() { bytes_.clear(); }
    bool HasPicture() const { return !bytes_.isEmpty(); }
    const QByteArray &Bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};
