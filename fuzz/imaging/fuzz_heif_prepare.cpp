// libFuzzer target: a photo file from outside, prepared as `uploadpic-cli prepare` and the photo
// editor prepare it (PhotoWorkflow::PreparePhoto: HEIF turned into JPEG, shrunk, reduced). Any input
// must end in a prepared photo or a refusal within the memory limit scripts/fuzz sets for this target
// (-malloc_limit_mb, -rss_limit_mb): an allocation past it is a finding.

#include "client/PhotoWorkflow.h"
#include "core/SysOper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // One program folder per fuzzing process for the working files, removed when the process ends.
    static QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("fuzz_heif_prepare-XXXXXX")));
    static const bool set = [] {
        TSysOper::SetAppPath(folder.path());
        return true;
    }();
    (void)set;
    const QString path = folder.filePath(QStringLiteral("photo.heic"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 0;
    }
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();
    PhotoWorkflow::PreparePhoto(path, 640, 480);
    return 0;
}
