#include "PreviewText.h"

#include <cmath>

namespace PreviewText {
namespace {

// Two decimals with halves rounded away from zero, as the label has always shown them.
QString twoDecimals(double value) {
    return QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
}

} // namespace

QString SizeLabel(std::int64_t bytes) {
    if (bytes <= 0) {
        return {};
    }
    const double kilobytes = static_cast<double>(bytes) / 1024.0;
    if (kilobytes > 1024.0) {
        return QStringLiteral("照片大小:") + twoDecimals(kilobytes / 1024.0) + QStringLiteral("M");
    }
    return QStringLiteral("照片大小:") + twoDecimals(kilobytes) + QStringLiteral("KB");
}

} // namespace PreviewText

int TWheelNotches::Add(int angleDelta) {
    constexpr int kNotch = 120;
    pending_ += angleDelta;
    const int notches = pending_ / kNotch; // truncates towards zero, keeping the sign's remainder
    pending_ -= notches * kNotch;
    return notches;
}
