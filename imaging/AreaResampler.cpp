#include "AreaResampler.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

TAreaResampler::TAreaResampler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                               TRowSink sink)
    : sourceWidth_(sourceWidth), sourceHeight_(sourceHeight), sink_(std::move(sink)) {
    if (targetWidth < 1 || targetHeight < 1 || targetWidth > sourceWidth || targetHeight > sourceHeight) {
        throw std::invalid_argument("area resampling only shrinks to a non-empty size");
    }
    columns_ = shares(sourceWidth, targetWidth);
    rows_ = shares(sourceHeight, targetHeight);
    line_.assign(static_cast<std::size_t>(targetWidth + 1) * 3, 0.0f);
    current_.assign(static_cast<std::size_t>(targetWidth) * 3, 0.0f);
    if (sink_) {
        sinkRow_.resize(static_cast<std::size_t>(targetWidth) * 3);
    } else {
        target_ = TRgbImage(targetWidth, targetHeight);
    }
}

// In units of 1/(source * target): source pixel s spans [s*target, (s+1)*target), target pixel t
// spans [t*source, (t+1)*source). Weights are overlaps divided by the target pixel's span, so the
// weights of one target pixel add up to 1.
std::vector<TAreaResampler::Share> TAreaResampler::shares(int source, int target) {
    std::vector<Share> result(static_cast<std::size_t>(source));
    const auto span = static_cast<float>(source);
    for (int s = 0; s < source; ++s) {
        const std::int64_t begin = static_cast<std::int64_t>(s) * target;
        const std::int64_t end = begin + target;
        const auto t = static_cast<int>(begin / source);
        const std::int64_t boundary = static_cast<std::int64_t>(t + 1) * source;
        Share &share = result[static_cast<std::size_t>(s)];
        share.target = t;
        if (end <= boundary) {
            share.first = static_cast<float>(target) / span;
            share.second = 0.0f;
            share.closes = end == boundary;
        } else {
            share.first = static_cast<float>(boundary - begin) / span;
            share.second = static_cast<float>(end - boundary) / span;
            share.closes = true;
        }
    }
    return result;
}

void TAreaResampler::AddRow(const std::uint8_t *row) {
    if (sourceRow_ >= sourceHeight_) {
        throw std::logic_error("more rows than the source has");
    }
    std::fill(line_.begin(), line_.end(), 0.0f);
    float *line = line_.data();
    for (int x = 0; x < sourceWidth_; ++x) {
        const Share &c = columns_[static_cast<std::size_t>(x)];
        const std::uint8_t *p = row + 3 * static_cast<std::size_t>(x);
        float *to = line + 3 * static_cast<std::size_t>(c.target);
        // The spare pixel at the end takes the zero-weight remainder of the last column.
        for (int k = 0; k < 3; ++k) {
            to[k] += static_cast<float>(p[k]) * c.first;
            to[k + 3] += static_cast<float>(p[k]) * c.second;
        }
    }
    const Share &r = rows_[static_cast<std::size_t>(sourceRow_)];
    const std::size_t n = current_.size();
    for (std::size_t i = 0; i < n; ++i) {
        current_[i] += line[i] * r.first;
    }
    if (r.closes) {
        emitRow(r.target);
        for (std::size_t i = 0; i < n; ++i) {
            current_[i] = line[i] * r.second;
        }
    }
    ++sourceRow_;
}

void TAreaResampler::emitRow(int y) {
    std::uint8_t *out = sink_ ? sinkRow_.data() : target_.row(y);
    const std::size_t n = current_.size();
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(std::min(255.0f, current_[i] + 0.5f));
    }
    if (sink_) {
        sink_(out);
    }
}

TRgbImage TAreaResampler::Take() {
    if (sourceRow_ != sourceHeight_) {
        throw std::logic_error("the source image is not complete");
    }
    return std::move(target_);
}
