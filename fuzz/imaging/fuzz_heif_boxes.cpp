// libFuzzer target: the item structure of HEIF photo files from outside (boxes, item locations,
// properties, references) and the reading of every item's bytes. Any input must end in a result or
// a std::exception: no crash, no leak, no unbounded allocation.

#include "imaging/heifgrid/HeifBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // One scratch file per fuzzing process, removed when the process ends: the reader works on files.
    struct ScratchFile {
        QString path = QDir::temp().filePath(
            QStringLiteral("fuzz_heif_boxes_%1.heic").arg(QCoreApplication::applicationPid()));
        ~ScratchFile() { QFile::remove(path); }
    };
    static const ScratchFile scratch;
    QFile file(scratch.path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        return 0;
    }
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    try {
        const THeifMeta meta = ReadHeifMeta(file);
        for (const auto &[id, item] : meta.items) {
            try {
                ReadHeifItemData(file, meta, item);
            } catch (const std::exception &) {
            }
        }
    } catch (const std::exception &) {
    }
    return 0;
}
