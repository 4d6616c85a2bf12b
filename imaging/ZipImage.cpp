// The two photo reductions: to the width and height limits, and by file size.

#include "ImgOper.h"
#include "ReduceJpeg.h"
#include "SizeRules.h"

#include "core/FileOper.h"
#include "core/SysOper.h"

#include <exception>

namespace {

constexpr int kZoomQuality = 90;
constexpr int kZipQuality = 80;

} // namespace

double TImgOper::CalculateZipRate(int width, int height, int maxWidth, int maxHeight) {
    try {
        return SizeRules::ZipRate(width, height, maxWidth, maxHeight);
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("计算图片压缩比例失败,CalculateZipRate中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return 1.0;
}

TImgOper::TReduction TImgOper::ZipImageSize(const QString &fileName, int maxWidth, int maxHeight,
                                            QString &outFile) {
    const QString input =
        fileName; // NOLINT(performance-unnecessary-copy-initialization): outFile may be fileName
    outFile = input;
    TReduction result;
    if (input.isEmpty()) {
        return result;
    }
    try {
        TJpegReader reader(input);
        const SizeRules::TSize upright = reader.UprightSize();
        const double rate = CalculateZipRate(upright.width, upright.height, maxWidth, maxHeight);
        if (rate == 1.0) {
            return result;
        }
        const QString output = TSysOper::GetAppPath() + QStringLiteral("ZoomPhoto.jpg");
        result.written = ReduceJpeg(reader, SizeRules::ScaledSize(upright, rate), kZoomQuality, output);
        outFile = output;
    } catch (const std::exception &e) {
        result = {false, {}, QString::fromUtf8(e.what())};
        TFileOper::WriteLog(QStringLiteral("按长宽压缩图片失败,TImgOper->ZipImageSize中错误:") +
                            result.error);
    }
    return result;
}

TImgOper::TReduction TImgOper::ZipImage(const QString &fileName, QString &outFile) {
    const QString input =
        fileName; // NOLINT(performance-unnecessary-copy-initialization): outFile may be fileName
    outFile = input;
    TReduction result;
    if (input.isEmpty()) {
        return result;
    }
    try {
        const std::int64_t sizeKB = SizeRules::SizeInKB(GetFileSize(input));
        if (sizeKB <= SizeRules::kZipThresholdKB) {
            return result;
        }
        TJpegReader reader(input);
        const QString output = TSysOper::GetAppPath() + QStringLiteral("TempZip.jpg");
        result.written =
            ReduceJpeg(reader, SizeRules::ShrunkSize(reader.UprightSize(), sizeKB), kZipQuality, output);
        outFile = output;
    } catch (const std::exception &e) {
        result = {false, {}, QString::fromUtf8(e.what())};
        TFileOper::WriteLog(QStringLiteral("压缩图片时失败,TImgOper->ZipImage中错误:") + result.error);
    }
    return result;
}
