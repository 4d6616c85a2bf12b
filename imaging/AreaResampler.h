#pragma once
// Shrinks an RGB image by area averaging while its rows stream in: every target pixel is the mean
// of the source area it covers, partly covered source pixels weighted by their share. Only the
// target bitmap (or, with a row sink, one target row) and two rows of sums are held, never the whole
// source.

#include "RgbImage.h"

#include <cstdint>
#include <functional>
#include <vector>

// Takes each finished target row (targetWidth * 3 bytes, valid during the call), top first.
using TRowSink = std::function<void(const std::uint8_t *row)>;

class TAreaResampler {
public:
    // Target sides must be between 1 and the source sides (this only shrinks); throws
    // std::invalid_argument otherwise. With a sink, target rows go to it as they are finished and
    // no target bitmap is kept (Take then gives an empty one).
    TAreaResampler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight, TRowSink sink = {});

    // Feeds the next source row (sourceWidth * 3 bytes), top to bottom.
    void AddRow(const std::uint8_t *row);

    // The finished target once every source row was added; throws std::logic_error before that.
    TRgbImage Take();

private:
    // Where one source column (or row) goes: its weight in the target it starts in, the weight of
    // its remainder in the next target, and whether it reaches the end of the first target.
    struct Share {
        int target;
        float first;
        float second;
        bool closes;
    };
    static std::vector<Share> shares(int source, int target);
    void emitRow(int y);

    int sourceWidth_;
    int sourceHeight_;
    std::vector<Share> columns_;
    std::vector<Share> rows_;
    std::vector<float> line_;    // the current source row shrunk horizontally, plus one spare pixel
    std::vector<float> current_; // sums of the target row being filled
    TRowSink sink_;
    std::vector<std::uint8_t> sinkRow_;
    TRgbImage target_;
    int sourceRow_ = 0;
};
