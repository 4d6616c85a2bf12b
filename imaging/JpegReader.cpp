#include "JpegReader.h"

#include "AreaResampler.h"
#include "ExifDate.h"
#include "ExifOrientation.h"
#include "ImageFile.h"
#include "JpegErrors.h"
#include "JpegFileSource.h"

#include <array>
#include <string>
#include <vector>

namespace {

// A progressive file may hold any number of scans, each a full pass over the coefficients; real
// encoders write about ten. Stopping at this many bounds the time a hostile file can take.
constexpr int kMaxScans = 500;

// libjpeg's size at scale n/8: the side times n/8, rounded up.
int scaledSide(int side, int n) {
    return static_cast<int>((static_cast<std::int64_t>(side) * n + 7) / 8);
}

void limitScans(j_common_ptr cinfo) {
    const auto *dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        FailJpeg(cinfo, "the JPEG file has too many progressive scans");
    }
}

} // namespace

int DctScaleNumerator(SizeRules::TSize stored, SizeRules::TSize target) {
    for (int n = 1; n < 8; ++n) {
        if (scaledSide(stored.width, n) >= target.width && scaledSide(stored.height, n) >= target.height) {
            return n;
        }
    }
    return 8;
}

struct TJpegReader::Impl {
    QFile file;
    TJpegFileSource source;
    jpeg_decompress_struct cinfo{};
    TJpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    int orientation = ExifOrientation::kNormal;
    QString dateTaken;
    bool created = false;

    ~Impl() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }

    void open(const QString &path) {
        file.setFileName(path);
        OpenImageFile(file);
        InstallJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
        JpegGuarded(errors, [&] { jpeg_create_decompress(&cinfo); });
        created = true;
        progress.progress_monitor = limitScans;
        cinfo.progress = &progress;
        JpegGuarded(errors, [&] {
            InstallJpegFileSource(&cinfo, source, file);
            jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
            jpeg_read_header(&cinfo, TRUE);
        });
        const std::int64_t pixels = static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height;
        if (pixels > kMaxImagePixels) {
            throw std::runtime_error("the image has " + std::to_string(cinfo.image_width) + "x" +
                                     std::to_string(cinfo.image_height) + " pixels, more than the " +
                                     std::to_string(kMaxImagePixels / 1'000'000) + " megapixels accepted");
        }
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
            if (m->marker == JPEG_APP0 + 1) {
                const int found = ExifOrientation::FromApp1(m->data, m->data_length);
                if (orientation == ExifOrientation::kNormal) {
                    orientation = found;
                }
                if (dateTaken.isEmpty()) {
                    dateTaken = DateTakenFromApp1(m->data, m->data_length);
                }
            }
        }
    }
};

TJpegReader::TJpegReader(const QString &path) : impl_(std::make_unique<Impl>()) {
    impl_->open(path);
}

TJpegReader::~TJpegReader() = default;

SizeRules::TSize TJpegReader::StoredSize() const {
    return {static_cast<int>(impl_->cinfo.image_width), static_cast<int>(impl_->cinfo.image_height)};
}

int TJpegReader::Orientation() const {
    return impl_->orientation;
}

QString TJpegReader::DateTaken() const {
    return impl_->dateTaken;
}

SizeRules::TSize TJpegReader::UprightSize() const {
    return ExifOrientation::Turn(StoredSize(), Orientation());
}

TRgbImage TJpegReader::DecodeTo(SizeRules::TSize target) {
    return decode(target, {});
}

void TJpegReader::DecodeRowsTo(SizeRules::TSize target, const TRowSink &sink) {
    decode(target, sink);
}

TRgbImage TJpegReader::decode(SizeRules::TSize target, const TRowSink &sink) {
    jpeg_decompress_struct &cinfo = impl_->cinfo;
    TJpegErrorManager &errors = impl_->errors;
    const int n = DctScaleNumerator(StoredSize(), target);
    JpegGuarded(errors, [&] {
        cinfo.scale_num = static_cast<unsigned int>(n);
        cinfo.scale_denom = 8;
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
    });
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    if (cinfo.output_components != 3) {
        throw std::runtime_error("the JPEG file does not decode to RGB");
    }
    TAreaResampler resampler(width, height, target.width, target.height, sink);

    // A band of a few rows at a time: libjpeg may hand out several rows per call.
    constexpr int kBand = 16;
    std::vector<std::uint8_t> band(static_cast<std::size_t>(width) * 3 * kBand);
    std::array<JSAMPROW, kBand> rows{};
    for (int i = 0; i < kBand; ++i) {
        rows[static_cast<std::size_t>(i)] = band.data() + static_cast<std::size_t>(width) * 3 * i;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JDIMENSION got = 0;
        JpegGuarded(errors, [&] { got = jpeg_read_scanlines(&cinfo, rows.data(), kBand); });
        if (got == 0) {
            throw std::runtime_error("the JPEG decoder delivered no rows");
        }
        for (JDIMENSION i = 0; i < got; ++i) {
            resampler.AddRow(rows[i]);
        }
    }
    JpegGuarded(errors, [&] { jpeg_finish_decompress(&cinfo); });
    return resampler.Take();
}
