#include "JpegWriter.h"

#include "ExifOrientation.h"
#include "JpegErrors.h"

#include <jerror.h>

#include <array>
#include <new>
#include <vector>

namespace {

// Collects the encoder's output in a QByteArray, one buffer-full at a time.
struct ByteArrayDestination {
    jpeg_destination_mgr pub{};
    QByteArray *out = nullptr;
    std::array<JOCTET, std::size_t{64} * 1024> buffer{};
};

ByteArrayDestination &destinationOf(j_compress_ptr cinfo) {
    return *reinterpret_cast<ByteArrayDestination *>(cinfo->dest);
}

// Appends the first count bytes of the buffer. Runs inside libjpeg, so an allocation failure must
// not unwind through it as an exception: it ends the call through the error manager instead.
void flush(j_compress_ptr cinfo, std::size_t count) {
    ByteArrayDestination &dest = destinationOf(cinfo);
    bool ok = true;
    try {
        dest.out->append(reinterpret_cast<const char *>(dest.buffer.data()), static_cast<qsizetype>(count));
    } catch (const std::bad_alloc &) {
        ok = false;
    }
    if (!ok) {
        FailJpeg(reinterpret_cast<j_common_ptr>(cinfo), "out of memory while writing the JPEG data");
    }
    dest.pub.next_output_byte = dest.buffer.data();
    dest.pub.free_in_buffer = dest.buffer.size();
}

void initDestination(j_compress_ptr cinfo) {
    ByteArrayDestination &dest = destinationOf(cinfo);
    dest.pub.next_output_byte = dest.buffer.data();
    dest.pub.free_in_buffer = dest.buffer.size();
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    flush(cinfo, destinationOf(cinfo).buffer.size());
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    ByteArrayDestination &dest = destinationOf(cinfo);
    flush(cinfo, dest.buffer.size() - dest.pub.free_in_buffer);
}

// Owns the compressor so that it is destroyed however encoding ends.
struct Compressor {
    jpeg_compress_struct cinfo{};
    TJpegErrorManager errors{};
    bool created = false;
    ~Compressor() {
        if (created) {
            jpeg_destroy_compress(&cinfo);
        }
    }
};

} // namespace

struct TJpegRowWriter::Impl {
    QByteArray out;
    ByteArrayDestination dest;
    Compressor c;
};

TJpegRowWriter::TJpegRowWriter(SizeRules::TSize size, int quality) : impl_(std::make_unique<Impl>()) {
    Impl &w = *impl_;
    w.dest.out = &w.out;
    w.dest.pub.init_destination = initDestination;
    w.dest.pub.empty_output_buffer = emptyOutputBuffer;
    w.dest.pub.term_destination = termDestination;
    Compressor &c = w.c;
    InstallJpegErrors(reinterpret_cast<j_common_ptr>(&c.cinfo), c.errors);
    JpegGuarded(c.errors, [&] { jpeg_create_compress(&c.cinfo); });
    c.created = true;
    JpegGuarded(c.errors, [&] {
        c.cinfo.dest = &w.dest.pub;
        c.cinfo.image_width = static_cast<JDIMENSION>(size.width);
        c.cinfo.image_height = static_cast<JDIMENSION>(size.height);
        c.cinfo.input_components = 3;
        c.cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c.cinfo);
        jpeg_set_quality(&c.cinfo, quality, TRUE);
        jpeg_start_compress(&c.cinfo, TRUE);
    });
}

TJpegRowWriter::~TJpegRowWriter() = default;

void TJpegRowWriter::Write(const std::uint8_t *row) {
    Compressor &c = impl_->c;
    auto given = const_cast<JSAMPROW>(row); // libjpeg only reads input rows
    JpegGuarded(c.errors, [&] { jpeg_write_scanlines(&c.cinfo, &given, 1); });
}

QByteArray TJpegRowWriter::Finish() {
    Compressor &c = impl_->c;
    JpegGuarded(c.errors, [&] { jpeg_finish_compress(&c.cinfo); });
    return std::move(impl_->out);
}

QByteArray EncodeJpegRows(SizeRules::TSize size, int quality, const TRowSource &rowAt) {
    TJpegRowWriter writer(size, quality);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size.width) * 3);
    for (int y = 0; y < size.height; ++y) {
        writer.Write(rowAt(y, buffer.data()));
    }
    return writer.Finish();
}

QByteArray EncodeJpeg(const TRgbImage &stored, int orientation, int quality) {
    const SizeRules::TSize size = ExifOrientation::Turn({stored.width, stored.height}, orientation);
    return EncodeJpegRows(size, quality, [&](int y, std::uint8_t *buffer) -> const std::uint8_t * {
        if (orientation == ExifOrientation::kNormal) {
            return stored.row(y);
        }
        ExifOrientation::UprightRow(stored, orientation, y, buffer);
        return buffer;
    });
}
