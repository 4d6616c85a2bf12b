#include "JpegFileSource.h"

#include <jerror.h>

namespace {

TJpegFileSource &sourceOf(j_decompress_ptr cinfo) {
    // pub is the first member, so the source pointer libjpeg holds is the source's address.
    return *reinterpret_cast<TJpegFileSource *>(cinfo->src);
}

void initSource(j_decompress_ptr) {}

// As libjpeg's own file source does: at the end of the data (or a read error) it warns and inserts
// an end-of-image marker, so the decoder stops cleanly.
boolean fillInputBuffer(j_decompress_ptr cinfo) {
    TJpegFileSource &source = sourceOf(cinfo);
    qint64 got = source.file->read(reinterpret_cast<char *>(source.buffer.data()),
                                   static_cast<qint64>(source.buffer.size()));
    if (got <= 0) {
        if (source.atStart) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        got = 2;
    }
    source.atStart = false;
    source.pub.next_input_byte = source.buffer.data();
    source.pub.bytes_in_buffer = static_cast<std::size_t>(got);
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    TJpegFileSource &source = sourceOf(cinfo);
    auto left = static_cast<std::size_t>(count);
    while (left > source.pub.bytes_in_buffer) {
        left -= source.pub.bytes_in_buffer;
        fillInputBuffer(cinfo);
    }
    source.pub.next_input_byte += left;
    source.pub.bytes_in_buffer -= left;
}

void termSource(j_decompress_ptr) {}

} // namespace

void InstallJpegFileSource(j_decompress_ptr cinfo, TJpegFileSource &source, QFile &file) {
    source.file = &file;
    source.atStart = true;
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInputBuffer;
    source.pub.skip_input_data = skipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    cinfo->src = &source.pub;
}
