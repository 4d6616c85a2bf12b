#pragma once
// Reading the photo the viewer shows.

#include <QImage>
#include <QString>

struct TUprightPhoto {
    QImage Image; // null when the file could not be read
    QString Error;
};

// The image in the file at path, turned upright as its EXIF orientation says, in a pixel format that
// paints without conversion.
TUprightPhoto LoadUprightPhoto(const QString &path);

// The image turned a quarter to the right (clockwise) or to the left.
QImage RotatedQuarter(const QImage &image, bool clockwise);
