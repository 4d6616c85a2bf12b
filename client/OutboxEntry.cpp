#include "OutboxEntry.h"

#include "PhotoCache.h"
#include "contract/JpegSignature.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace {

// The first field of every entry file: what the file is and the layout of its fields.
constexpr char kFormat[] = "uploadpic-outbox 1";
// The largest side a prepared photo may have (JPEG's own limit).
constexpr int kMaxSide = 65535;

[[noreturn]] void damaged(const QString &why) {
    throw std::runtime_error(why.toStdString());
}

QJsonArray sizeValue(const QSize &size) {
    return QJsonArray{size.width(), size.height()};
}

QString text(const QJsonObject &o, const char *key, bool required) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() && !required) {
        return {};
    }
    if (!v.isString()) {
        damaged(QStringLiteral("字段 %1 缺失或不是文本").arg(QLatin1String(key)));
    }
    return v.toString();
}

QByteArray bytes(const QJsonObject &o, const char *key) {
    const QByteArray encoded = text(o, key, false).toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        damaged(QStringLiteral("字段 %1 不是有效的Base64").arg(QLatin1String(key)));
    }
    return *decoded;
}

QSize size(const QJsonObject &o, const char *key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) {
        return {};
    }
    const QJsonArray pair = v.toArray();
    const auto side = [&](int i) {
        const double d = pair.at(i).toDouble(-1);
        if (d < 0 || d > kMaxSide || d != int(d)) {
            damaged(QStringLiteral("字段 %1 不是有效的尺寸").arg(QLatin1String(key)));
        }
        return int(d);
    };
    if (!v.isArray() || pair.size() != 2) {
        damaged(QStringLiteral("字段 %1 不是有效的尺寸").arg(QLatin1String(key)));
    }
    return {side(0), side(1)};
}

} // namespace

QByteArray TOutboxEntry::Encode() const {
    QJsonObject o{
        {QStringLiteral("format"), QLatin1String(kFormat)},
        {QStringLiteral("company"), companyId},
        {QStringLiteral("kind"), kind == Kind::Add ? QStringLiteral("add") : QStringLiteral("edit")},
        {QStringLiteral("note"), note},
        {QStringLiteral("kept"), kept.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("reason"), reason},
    };
    if (kind == Kind::Add) {
        o.insert(QStringLiteral("typeEntry"), typeEntry);
    } else {
        o.insert(QStringLiteral("photoId"), photoId);
    }
    if (photo.hasImage()) {
        o.insert(QStringLiteral("source"), QString::fromLatin1(photo.source.toBase64()));
        o.insert(QStringLiteral("small"), QString::fromLatin1(photo.small.toBase64()));
        if (photo.sourceSize.isValid() && photo.smallSize.isValid()) {
            o.insert(QStringLiteral("sourceSize"), sizeValue(photo.sourceSize));
            o.insert(QStringLiteral("smallSize"), sizeValue(photo.smallSize));
        }
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

TOutboxEntry TOutboxEntry::Decode(const QByteArray &bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        damaged(
            QStringLiteral("内容不完整或已损坏(第%1字节: %2)").arg(error.offset).arg(error.errorString()));
    }
    if (!document.isObject()) {
        damaged(QStringLiteral("内容不是待发送记录"));
    }
    const QJsonObject o = document.object();
    if (o.value(QStringLiteral("format")).toString() != QLatin1String(kFormat)) {
        damaged(QStringLiteral("不是本程序能读的待发送记录格式"));
    }
    TOutboxEntry entry;
    entry.companyId = text(o, "company", true);
    if (entry.companyId.trimmed().isEmpty()) {
        damaged(QStringLiteral("没有企业编号"));
    }
    const QString kind = text(o, "kind", true);
    if (kind == u"add") {
        entry.kind = Kind::Add;
        entry.typeEntry = text(o, "typeEntry", true);
        if (entry.typeEntry.trimmed().isEmpty()) {
            damaged(QStringLiteral("新增照片没有照片类型"));
        }
    } else if (kind == u"edit") {
        entry.kind = Kind::Edit;
        entry.photoId = text(o, "photoId", true);
        if (!PhotoCache::IsPlainFileName(entry.photoId)) {
            damaged(QStringLiteral("修改照片的照片编号无效"));
        }
    } else {
        damaged(QStringLiteral("未知的操作 %1").arg(kind));
    }
    entry.note = text(o, "note", true);
    entry.kept = QDateTime::fromString(text(o, "kept", true), Qt::ISODateWithMs);
    if (!entry.kept.isValid()) {
        damaged(QStringLiteral("保存时间无效"));
    }
    entry.reason = text(o, "reason", false);
    entry.photo.source = ::bytes(o, "source");
    entry.photo.small = ::bytes(o, "small");
    entry.photo.sourceSize = size(o, "sourceSize");
    entry.photo.smallSize = size(o, "smallSize");
    const bool anyImage = !entry.photo.source.isEmpty() || !entry.photo.small.isEmpty();
    if (anyImage && (!HasJpegSignature(entry.photo.source) || !HasJpegSignature(entry.photo.small))) {
        damaged(QStringLiteral("照片数据不是JPEG"));
    }
    if (entry.kind == Kind::Add && !entry.photo.hasImage()) {
        damaged(QStringLiteral("新增照片没有照片数据"));
    }
    return entry;
}
