#include "ExifDate.h"

#include "ExifBlock.h"

#include <QDateTime>

QString DateTakenFromApp1(const std::uint8_t *payload, std::size_t length) {
    const TExifBlock data = LoadExifBlock(payload, length);
    if (!data) {
        return {};
    }
    const ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL);
    // "YYYY:MM:DD HH:MM:SS": 19 characters, read only when the entry really holds them.
    constexpr std::size_t kLength = 19;
    if (entry == nullptr || entry->format != EXIF_FORMAT_ASCII || entry->data == nullptr ||
        entry->size < kLength) {
        return {};
    }
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(entry->data), kLength);
    const QDateTime taken = QDateTime::fromString(text, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    return taken.isValid() ? taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}
