// Turning a photo in another format into the JPEG that the reductions and the service take.

#include "HeifImage.h"
#include "ImageFile.h"
#include "ImageKind.h"
#include "ImgOper.h"
#include "QtImageFormats.h"
#include "core/WholeFile.h"

#include "core/FileOper.h"
#include "core/SysOper.h"

#include <exception>
#include <stdexcept>

namespace {

// High enough that the reductions which follow, not this step, decide what is lost.
constexpr int kConvertQuality = 92;

QByteArray toJpeg(const QString &path, ImageKind kind) {
    switch (kind) {
    case ImageKind::Heif:
        return HeifToJpeg(path, kConvertQuality);
    case ImageKind::Png:
    case ImageKind::WebP:
    case ImageKind::Tiff:
    case ImageKind::Bmp:
        return QtImageToJpeg(ReadImageFile(path), kind, kConvertQuality);
    default:
        throw std::runtime_error("the file is not an image of a known kind");
    }
}

} // namespace

TImgOper::TReduction TImgOper::ConvertToJpeg(const QString &fileName, QString &outFile) {
    // outFile may be fileName itself.
    const QString input = fileName; // NOLINT(performance-unnecessary-copy-initialization)
    outFile = input;
    TReduction result;
    try {
        const ImageKind kind = SniffImageKind(ReadImageHead(input));
        if (kind == ImageKind::Jpeg) {
            return result;
        }
        const QByteArray jpeg = toJpeg(input, kind);
        const QString output = TSysOper::GetAppPath() + QStringLiteral("ConvertPhoto.jpg");
        WriteWholeFile(output, jpeg);
        result.written = jpeg;
        outFile = output;
    } catch (const std::exception &e) {
        result = {false, {}, QString::fromUtf8(e.what())};
        outFile.clear();
        TFileOper::WriteLog(QStringLiteral("转换图片为JPEG失败,TImgOper->ConvertToJpeg中错误:") +
                            result.error);
    }
    return result;
}
