#include "PreviewText.h"

#include <QStringList>

#include <cmath>

namespace PreviewText {
namespace {

// Two decimals with halves rounded away from zero, as the label has always shown them.
QString twoDecimals(double value) {
    return QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
}

// Kilobytes with two decimals and "KB", or megabytes and "M" above 1024 KB.
QString sizeText(std::int64_t bytes) {
    const double kilobytes = static_cast<double>(bytes) / 1024.0;
    if (kilobytes > 1024.0) {
        return twoDecimals(kilobytes / 1024.0) + QStringLiteral("M");
    }
    return twoDecimals(kilobytes) + QStringLiteral("KB");
}

} // namespace

QString SizeLabel(std::int64_t bytes) {
    if (bytes <= 0) {
        return {};
    }
    return QStringLiteral("照片大小:") + sizeText(bytes);
}

QString FactsText(const TPhotoFacts &facts) {
    QStringList lines;
    if (facts.size.width > 0 && facts.size.height > 0) {
        lines.append(QStringLiteral("尺寸:%1 × %2 像素").arg(facts.size.width).arg(facts.size.height));
    }
    if (facts.bytes > 0) {
        lines.append(QStringLiteral("文件大小:") + sizeText(facts.bytes));
    }
    if (!facts.dateTaken.isEmpty()) {
        lines.append(QStringLiteral("拍摄时间:") + facts.dateTaken);
    }
    return lines.join(u'\n');
}

} // namespace PreviewText

int TWheelNotches::Add(int angleDelta) {
    constexpr int kNotch = 120;
    pending_ += angleDelta;
    const int notches = pending_ / kNotch; // truncates towards zero, keeping the sign's remainder
    pending_ -= notches * kNotch;
    return notches;
}
