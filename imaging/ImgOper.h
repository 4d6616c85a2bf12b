#pragma once
// Operations on image files: their sizes, JPEG files to bytes and back, and the reduction and
// compression of photos to the limits the service sets. The members live in FileSize.cpp,
// ImageBytes.cpp, ConvertImage.cpp and ZipImage.cpp.

#include "core/WholeFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class TImgOper {
public:
    TImgOper() = delete;

    // Size in bytes of the first file matching path (the file name may hold * and ?), -1 when none
    // matches; sizes beyond the 32-bit range read as its largest value.
    static std::int32_t GetFileSize(const QString &path);

    // The whole file as bytes (the service records' byte array type); empty when there is no such
    // file (not logged) or reading failed (logged).
    static QByteArray ImgPathToByte(const QString &fileName);

    // Writes bytes as the whole new content of fileName, replacing the old file only once every byte
    // is written. False for empty bytes (nothing is touched) and for a failed write (logged); error,
    // when given, then receives the reason. Files of the photo cache pass WholeFileSync::Unsynced.
    static bool SaveImgInfo(const QString &fileName, const QByteArray &bytes, QString *error = nullptr,
                            WholeFileSync sync = WholeFileSync::Synced);

    // Scale factor that brings width x height within the limits (1.0 keeps the size); 1.0 and a log
    // line when there is no such factor.
    static double CalculateZipRate(int width, int height, int maxWidth, int maxHeight);

    // What a reduction did besides naming its output file: false when the work failed (logged);
    // the bytes of the file it wrote (empty when it wrote none), so callers need not read it back;
    // the reason of a failure.
    struct TReduction {
        bool ok = true;
        QByteArray written;
        QString error;
    };

    // Turns a photo that is no JPEG (HEIC/HEIF, PNG, WebP, TIFF, BMP) upright into "ConvertPhoto.jpg"
    // in the program folder, so that the reductions below and the service only ever see JPEGs.
    // outFile names the file to go on with: fileName itself for a JPEG (nothing written), the new
    // file, or empty when the work failed (logged; error names the reason).
    static TReduction ConvertToJpeg(const QString &fileName, QString &outFile);

    // Reduces a JPEG photo to maxWidth x maxHeight (see CalculateZipRate) into "ZoomPhoto.jpg" in the
    // program folder at quality 90. outFile names the file to use: the new file, or fileName itself
    // when the photo already fits or the work failed (logged).
    static TReduction ZipImageSize(const QString &fileName, int maxWidth, int maxHeight, QString &outFile);

    // Shrinks a JPEG photo file of more than 1024 KB, dividing its pixel count by its size in MB,
    // into "TempZip.jpg" in the program folder at quality 80. outFile names the file to use: the new
    // file, or fileName itself when the file is small enough or the work failed (logged).
    static TReduction ZipImage(const QString &fileName, QString &outFile);
};
