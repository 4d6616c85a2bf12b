#pragma once
// Operations on image files: their sizes, JPEG files to bytes and back, and the reduction and
// compression of photos to the limits the service sets.

#include <QString>

#include <cstdint>

class TImgOper {
public:
    TImgOper() = delete;

    // Size in bytes of the first file matching path (the file name may hold * and ?), -1 when none
    // matches; sizes beyond the 32-bit range read as its largest value.
    static std::int32_t GetFileSize(const QString &path);
};
