#include "ReduceJpeg.h"

#include "ExifOrientation.h"
#include "JpegWriter.h"
#include "core/WholeFile.h"

QByteArray ReduceJpeg(TJpegReader &reader, SizeRules::TSize uprightTarget, int quality, const QString &path) {
    const int orientation = reader.Orientation();
    QByteArray bytes;
    if (orientation == ExifOrientation::kNormal) {
        // Each row goes to the encoder as soon as it is scaled: no bitmap of the result is held.
        TJpegRowWriter writer(uprightTarget, quality);
        reader.DecodeRowsTo(uprightTarget, [&](const std::uint8_t *row) { writer.Write(row); });
        bytes = writer.Finish();
    } else {
        // Scaling commutes with turning and mirroring, so the stored pixels are scaled first and
        // only the small result is written out upright.
        const TRgbImage scaled = reader.DecodeTo(ExifOrientation::Turn(uprightTarget, orientation));
        bytes = EncodeJpeg(scaled, orientation, quality);
    }
    WriteWholeFile(path, bytes);
    return bytes;
}
