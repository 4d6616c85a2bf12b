#include "Outbox.h"

#include "core/SysOper.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <stdexcept>

namespace {

constexpr char kSuffix[] = ".entry";
// No entry is larger: the prepared versions of one photo are a few MB.
constexpr qint64 kMaxEntryBytes = qint64(256) << 20;

[[noreturn]] void fail(const QString &why) {
    throw std::runtime_error(why.toStdString());
}

// "20261210-032831-" + four hex digits: sorts by the time kept, readable and typeable.
QString newId() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
           QStringLiteral("%1").arg(QRandomGenerator::global()->bounded(0x10000), 4, 16, QLatin1Char('0'));
}

} // namespace

QString TOutbox::Folder() {
    return TSysOper::GetAppPath() + QStringLiteral("Outbox/");
}

TOutbox::TOutbox(const QString &folder) : folder_(folder) {}

bool TOutbox::IsEntryId(const QString &id) {
    static const QRegularExpression pattern(QStringLiteral("\\A[0-9]{8}-[0-9]{6}-[0-9a-f]{4}\\z"));
    return pattern.match(id).hasMatch();
}

QString TOutbox::path(const QString &id) const {
    return folder_ + id + QLatin1String(kSuffix);
}

void TOutbox::write(const TOutboxEntry &entry) const {
    try {
        WriteWholeFile(path(entry.id), entry.Encode(), WholeFileSync::Synced);
    } catch (const std::exception &e) {
        fail(QStringLiteral("无法保存待发送记录 %1: %2").arg(entry.id, QString::fromUtf8(e.what())));
    }
}

QString TOutbox::Keep(TOutboxEntry &entry) {
    if (!QDir().mkpath(folder_)) {
        fail(QStringLiteral("无法创建待发送文件夹 %1").arg(folder_));
    }
    if (!entry.kept.isValid()) {
        entry.kept = QDateTime::currentDateTimeUtc();
    }
    QString id = newId();
    while (QFileInfo::exists(path(id))) {
        id = newId();
    }
    entry.id = id;
    write(entry);
    return id;
}

QStringList TOutbox::ids() const {
    SweepWholeFileLeftovers(folder_);
    QStringList ids;
    const QStringList names =
        QDir(folder_).entryList({QStringLiteral("*") + QLatin1String(kSuffix)}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString id = name.chopped(int(sizeof(kSuffix) - 1));
        if (IsEntryId(id)) { // anything else is not one of ours
            ids.append(id);
        }
    }
    return ids;
}

QList<TOutbox::Listed> TOutbox::List() const {
    QList<Listed> listed;
    for (const QString &id : ids()) {
        Listed item;
        item.id = id;
        try {
            item.entry = Read(item.id);
        } catch (const std::exception &e) {
            item.error = QString::fromUtf8(e.what());
        }
        listed.append(item);
    }
    return listed;
}

int TOutbox::Count() const {
    return int(ids().size());
}

TOutboxEntry TOutbox::Read(const QString &id) const {
    if (!IsEntryId(id)) {
        fail(QStringLiteral("没有待发送记录 %1").arg(id));
    }
    QFile file(path(id));
    if (!QFileInfo(file.fileName()).isFile()) {
        fail(QStringLiteral("没有待发送记录 %1").arg(id));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("无法读取待发送记录 %1: %2").arg(id, file.errorString()));
    }
    const QByteArray bytes = file.read(kMaxEntryBytes + 1);
    if (bytes.size() > kMaxEntryBytes) {
        fail(QStringLiteral("待发送记录 %1 过大").arg(id));
    }
    try {
        TOutboxEntry entry = TOutboxEntry::Decode(bytes);
        entry.id = id;
        return entry;
    } catch (const std::exception &e) {
        fail(QStringLiteral("待发送记录 %1 已损坏: %2").arg(id, QString::fromUtf8(e.what())));
    }
}

void TOutbox::SetReason(const QString &id, const QString &reason) {
    TOutboxEntry entry = Read(id);
    entry.reason = reason;
    write(entry);
}

bool TOutbox::Discard(const QString &id) const {
    return IsEntryId(id) && QFile::remove(path(id));
}
