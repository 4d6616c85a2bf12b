#include "ReduceJpeg.h"

#include "ExifOrientation.h"
#include "JpegWriter.h"
#include "WholeFile.h"

QByteArray ReduceJpeg(TJpegReader &reader, SizeRules::TSize uprightTarget, int quality, const QString &path) {
    const int orientation = reader.Orientation();
    // Scaling commutes with turning and mirroring, so the stored pixels are scaled first and only
    // the small result is written out upright.
    QByteArray bytes;
    {
        const TRgbImage scaled = reader.DecodeTo(ExifOrientation::Turn(uprightTarget, orientation));
        bytes = EncodeJpeg(scaled, orientation, quality);
    }
    WriteWholeFile(path, bytes);
    return bytes;
}
