// uploadpic-cli prepare: the photo preparation of the photo editor (shrink by file size, then reduce
// to the width and height limits) on one file, printing both resulting files.

#include "CliCommand.h"

#include "client/PhotoWorkflow.h"
#include "core/SysOper.h"
#include "imaging/JpegReader.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

namespace cli {
namespace {

int intOption(const QCommandLineParser &parser, const QCommandLineOption &option) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok) {
        throw UsageError(QStringLiteral("prepare: --%1 needs a whole number, got '%2'")
                             .arg(option.names().first(), parser.value(option)));
    }
    return value;
}

// Reports one prepared version: "VERSION PATH WIDTHxHEIGHT BYTES" as text, the size as the photo
// stands upright ("-" when it cannot be read).
void describe(const QString &version, const QString &path) {
    int width = 0;
    int height = 0;
    try {
        const TJpegReader reader(path);
        width = reader.UprightSize().width;
        height = reader.UprightSize().height;
    } catch (const std::exception &) {
        // Not a readable JPEG: the report still names the file the editor would send.
    }
    const QString size = width > 0 ? QStringLiteral("%1x%2").arg(width).arg(height) : QStringLiteral("-");
    const qint64 bytes = QFileInfo(path).size();
    if (JsonReport()) {
        Field(version, QJsonObject{{QStringLiteral("path"), path},
                                   {QStringLiteral("width"), width},
                                   {QStringLiteral("height"), height},
                                   {QStringLiteral("bytes"), bytes}});
    } else {
        Out(QStringLiteral("%1 %2 %3 %4").arg(version, path, size).arg(bytes));
    }
}

} // namespace

int RunPrepare(const QStringList &args, const Options & /*options*/) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prepare a photo as the photo editor does before sending it: turn a photo that is no JPEG\n"
        "(HEIC/HEIF, PNG, WebP, TIFF, BMP) upright into one (ConvertPhoto.jpg), shrink a file of more than\n"
        "1024 KB (TempZip.jpg), then reduce it to the size limits (ZoomPhoto.jpg; limits below\n"
        "640 x 480 are raised to them). Prints 'source PATH WIDTHxHEIGHT BYTES' and\n"
        "'small PATH WIDTHxHEIGHT BYTES'; exits 1 when a step failed."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The photo: JPEG, HEIC/HEIF, PNG, WebP, TIFF or BMP."));
    const QCommandLineOption maxWidth(QStringLiteral("max-width"),
                                      QStringLiteral("Width limit (default 640)."), QStringLiteral("W"),
                                      QStringLiteral("640"));
    const QCommandLineOption maxHeight(QStringLiteral("max-height"),
                                       QStringLiteral("Height limit (default 480)."), QStringLiteral("H"),
                                       QStringLiteral("480"));
    const QCommandLineOption dir(
        QStringLiteral("dir"),
        QStringLiteral("Program folder that receives the files (default: the tool's)."),
        QStringLiteral("DIR"));
    parser.addOptions({maxWidth, maxHeight, dir});
    if (!ParseArgs(parser, QStringLiteral("prepare"), args, 1, 1)) {
        return 0;
    }
    const int width = intOption(parser, maxWidth);
    const int height = intOption(parser, maxHeight);
    const QString file = parser.positionalArguments().first();
    if (!QFileInfo(file).isFile()) {
        // A missing photo is refused as add and edit refuse it.
        throw UsageError(QStringLiteral("prepare: no such file '%1'").arg(file));
    }
    if (parser.isSet(dir)) {
        const QString folder = QDir(parser.value(dir)).absolutePath();
        if (!QDir().mkpath(folder)) {
            Err(QStringLiteral("prepare: cannot create the folder '%1'").arg(parser.value(dir)));
            return 1;
        }
        TSysOper::SetAppPath(folder);
    }

    const PhotoWorkflow::TPreparedPhoto photo = PhotoWorkflow::PreparePhoto(file, width, height);
    if (!photo.failedSteps.isEmpty() || !photo.hasImage()) {
        const QString why = photo.failedSteps.isEmpty() ? QStringLiteral("the file cannot be read")
                                                        : photo.failedSteps.join(QStringLiteral("; "));
        Err(QStringLiteral("prepare: cannot prepare '%1': %2").arg(file, why));
        return 1;
    }
    describe(QStringLiteral("source"), photo.sourceFile);
    describe(QStringLiteral("small"), photo.smallFile);
    return 0;
}

} // namespace cli
