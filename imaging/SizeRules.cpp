#include "SizeRules.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace SizeRules {
namespace {

int checkedSide(std::int64_t side) {
    if (side < 1) {
        throw std::domain_error("the reduced image would have no pixels");
    }
    return static_cast<int>(side);
}

} // namespace

std::int64_t RoundToInt(long double value) {
    // nearbyint in the default rounding mode (to nearest) sends exact halves to the even neighbour.
    return static_cast<std::int64_t>(std::nearbyintl(value));
}

std::int64_t RoundHundredths(std::int64_t numerator, std::int64_t denominator) {
    if (denominator == 0) {
        throw std::domain_error("division by zero");
    }
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    // |n/d| * 100 rounded half up is floor((200|n| + d) / 2d); the sign is put back afterwards, which
    // sends negative halves away from zero too.
    const bool negative = numerator < 0;
    const std::int64_t magnitude = negative ? -numerator : numerator;
    const std::int64_t hundredths = (200 * magnitude + denominator) / (2 * denominator);
    return negative ? -hundredths : hundredths;
}

double TwoDecimalFactor(std::int64_t numerator, std::int64_t denominator) {
    // k / 100.0 is the double nearest to the decimal k/100, the value reading "0.kk" back gives.
    return static_cast<double>(RoundHundredths(numerator, denominator)) / 100.0;
}

double ZipRate(int width, int height, int maxWidth, int maxHeight) {
    const auto sideFactor = [](int side, int limit) {
        if (side <= limit) {
            return 1.0;
        }
        if (side <= 0) {
            throw std::domain_error("image side of " + std::to_string(side) + " pixels has no scale factor");
        }
        return TwoDecimalFactor(limit, side);
    };
    const double widthFactor = sideFactor(width, maxWidth);
    const double heightFactor = sideFactor(height, maxHeight);
    const bool widthReduced = widthFactor != 1.0;
    const bool heightReduced = heightFactor != 1.0;
    if (widthReduced && heightReduced) {
        return widthFactor < heightFactor ? heightFactor : widthFactor;
    }
    if (heightReduced) {
        return heightFactor;
    }
    if (widthReduced) {
        return widthFactor;
    }
    return 1.0;
}

TSize ScaledSize(TSize size, double rate) {
    // Extended precision keeps a product that lies a hair off a half from being taken for one.
    const long double r = rate;
    return {checkedSide(RoundToInt(size.width * r)), checkedSide(RoundToInt(size.height * r))};
}

std::int64_t SizeInKB(std::int64_t bytes) {
    return RoundToInt(static_cast<long double>(bytes) / 1024.0L);
}

TSize ShrunkSize(TSize size, std::int64_t sizeKB) {
    const long double divisor = std::sqrt(static_cast<long double>(TwoDecimalFactor(sizeKB, 1024)));
    if (!(divisor > 0)) {
        throw std::domain_error("file size gives no divisor");
    }
    return {checkedSide(RoundToInt(size.width / divisor)), checkedSide(RoundToInt(size.height / divisor))};
}

} // namespace SizeRules
