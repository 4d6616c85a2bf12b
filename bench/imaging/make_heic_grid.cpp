// Writes a photo as a HEIC grid of 512 x 512 tiles, as phones and cameras store large photos, for the
// HEIC preparation benchmark.
//
// Usage: make_heic_grid IN OUT.heic BITS [QUARTER-TURNS]  (turns anticlockwise, stored in the file)

#include "support/PhotoFormats.h"

#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_heic_grid IN OUT.heic BITS [QUARTER-TURNS]\n");
        return 2;
    }
    QImageReader::setAllocationLimit(0); // a 48-megapixel photo is over Qt's default limit
    const QImage photo(QString::fromLocal8Bit(argv[1]));
    if (photo.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    photoformats::HeicCoding coding;
    coding.bits = std::atoi(argv[3]);
    coding.preset = "ultrafast";
    const int turns = argc > 4 ? std::atoi(argv[4]) : 0;
    if (!photoformats::writeHeicGrid(QString::fromLocal8Bit(argv[2]), photo, QSize(512, 512),
                                     {photoformats::transformBox("irot", turns)}, coding)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
