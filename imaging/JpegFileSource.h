#pragma once
// libjpeg's input read from an open file a buffer-full at a time, so a photo is decoded without
// holding its file in memory. Read rather than mapped: a file cut while it is decoded ends the data
// early, which libjpeg reports as "Premature end of JPEG file" (fatal under InstallJpegErrors),
// never SIGBUS.

#include <QFile>

#include <array>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

struct TJpegFileSource {
    jpeg_source_mgr pub{};
    QFile *file = nullptr;
    bool atStart = true; // nothing read yet: no data at all is an empty file, not a cut one
    std::array<JOCTET, std::size_t{64} * 1024> buffer{};
};

// Points cinfo->src at source, which reads file; both must outlive the decompressor's reading.
void InstallJpegFileSource(j_decompress_ptr cinfo, TJpegFileSource &source, QFile &file);
