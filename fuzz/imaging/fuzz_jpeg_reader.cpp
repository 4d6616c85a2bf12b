// libFuzzer target: the JPEG header, EXIF and pixel decoding of photo files from outside, followed by
// the reduction and encoding a prepared photo goes through. Any input must end in a result or a
// std::exception: no crash, no leak, no unbounded allocation.

#include "imaging/ExifOrientation.h"
#include "imaging/JpegReader.h"
#include "imaging/JpegWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    ExifOrientation::FromApp1(data, size);

    // The reader works on files, as the client does: one scratch file per fuzzing process, removed
    // when the process ends.
    struct ScratchFile {
        QString path = QDir::temp().filePath(
            QStringLiteral("fuzz_jpeg_reader_%1.jpg").arg(QCoreApplication::applicationPid()));
        ~ScratchFile() { QFile::remove(path); }
    };
    static const ScratchFile scratch;
    const QString &path = scratch.path;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    try {
        TJpegReader reader(path);
        const SizeRules::TSize stored = reader.StoredSize();
        // A small target keeps each run quick while still going through scaling and resampling.
        const SizeRules::TSize target{std::clamp(stored.width / 3, 1, 64),
                                      std::clamp(stored.height / 3, 1, 64)};
        const TRgbImage image = reader.DecodeTo(target);
        EncodeJpeg(image, reader.Orientation(), 80);
    } catch (const std::exception &) {
        // Refusing bad input is the expected outcome.
    }
    return 0;
}
