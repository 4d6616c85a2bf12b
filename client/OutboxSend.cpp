#include "OutboxSend.h"

#include "MainDataModule.h"
#include "PhotoCache.h"
#include "PhotoListModel.h"
#include "PhotoTypeChoice.h"
#include "TransferControl.h"
#include "contract/PictureService.h"
#include "contract/ResultCodes.h"

#include "core/FileOper.h"

#include <QFile>

namespace {

using Outcome = TOutboxReport::Outcome;

QByteArray cachedSmall(const QString &photoId) {
    QFile file(PhotoCache::SmallFile(PhotoCache::Folder(), photoId));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the company's list holds of the entry's type: the photo that is the entry's (its small
// version is the entry's, byte for byte: the add was applied though its answer was lost), or another
// photo that took the type meanwhile. A listed photo of the type whose small version the list did not
// carry is fetched to be compared; result holds a failed fetch.
struct TypeInList {
    QString applied;
    QString other;
};

TypeInList lookInList(TPhotoSession &session, const TDM_Main &dm, const TOutboxEntry &entry,
                      TOperationResult &result) {
    TypeInList found;
    const TPhotoListModel *rows = dm.PhotoListView;
    const QString code = PhotoTypeChoice::CodeOf(entry.typeEntry.trimmed());
    for (int row = 0; rows != nullptr && row < rows->rowCount(); ++row) {
        const QString photoId = rows->subItem(row, TPhotoListModel::PhotoIdColumn);
        if (rows->subItem(row, TPhotoListModel::TypeCodeColumn).trimmed() != code) {
            continue;
        }
        QByteArray small;
        if (PhotoCache::IsPlainFileName(photoId)) {
            small = cachedSmall(photoId);
            if (small.isEmpty()) {
                result = session.Fetch(photoId, PhotoFlag::kSmall);
                if (!result.ok()) {
                    return {};
                }
                small = cachedSmall(photoId);
            }
        }
        if (small == entry.photo.small) {
            found.applied = photoId;
            return found;
        }
        found.other = photoId;
    }
    return found;
}

TOutboxReport sendEntry(TPhotoSession &session, TDM_Main &dm, TOutbox &outbox, const QString &id) {
    TOutboxReport report;
    report.id = id;
    TOutboxEntry entry;
    try {
        entry = outbox.Read(id);
    } catch (const std::exception &e) {
        report.result.code = ResultCode::kNoAnswer;
        report.result.message = QStringLiteral("无法读取待发送记录");
        report.result.reason = QString::fromUtf8(e.what());
        return report;
    }
    const bool add = entry.kind == TOutboxEntry::Kind::Add;
    TOperationResult &result = report.result;
    result.code = ResultCode::kSuccess;
    if (dm.CurrentCompany == nullptr || dm.CompanyId != entry.companyId) {
        result = session.Query(entry.companyId);
    } else if (add) {
        result = session.Refresh(TPhotoSession::Identity::Photo); // the look needs today's list
    }
    TypeInList inList;
    if (result.ok() && add) {
        inList = lookInList(session, dm, entry, result);
    }
    const QString &applied = inList.applied;
    if (result.ok() && !applied.isEmpty()) {
        outbox.Discard(id);
        report.outcome = Outcome::AlreadySent;
        result.message = QStringLiteral("照片已在服务器上,未重复发送");
        result.photoId = applied;
        TFileOper::WriteLog(QStringLiteral("待发送记录%1已在服务器上(照片%2),不再发送").arg(id, applied));
        return report;
    }
    if (result.ok() && !inList.other.isEmpty()) {
        result.code = ResultCode::kNoAnswer;
        result.message = QStringLiteral("保存照片失败");
        result.reason = QStringLiteral("该企业已有%1类型的照片 %2,可能是在此期间添加的")
                            .arg(entry.typeEntry.trimmed(), inList.other);
    } else if (result.ok()) {
        result = add ? session.AddPrepared(entry.photo, entry.typeEntry, entry.note)
                     : session.EditPrepared(entry.photoId, entry.note, entry.photo);
    }
    if (result.ok()) {
        outbox.Discard(id);
        report.outcome = Outcome::Sent;
        if (!add) {
            result.photoId = entry.photoId;
        }
        return report;
    }
    if (result.cancelled) {
        report.outcome = Outcome::Cancelled;
        return report;
    }
    report.outcome = result.unreachable ? Outcome::Unreachable : Outcome::Refused;
    try {
        outbox.SetReason(id, result.reason.isEmpty() ? result.message : result.reason);
    } catch (const std::exception &e) {
        result.warning = QString::fromUtf8(e.what()); // kept with its earlier reason
    }
    return report;
}

} // namespace

QString OutcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Sent:
        return QStringLiteral("sent");
    case Outcome::AlreadySent:
        return QStringLiteral("already-sent");
    case Outcome::Refused:
        return QStringLiteral("refused");
    case Outcome::Unreachable:
        return QStringLiteral("unreachable");
    case Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case Outcome::Unreadable:
        break;
    }
    return QStringLiteral("unreadable");
}

QList<TOutboxReport> SendOutbox(TPhotoSession &session, TDM_Main &dm, TOutbox &outbox, QStringList ids,
                                const std::function<void(const TOutboxReport &)> &each) {
    if (ids.isEmpty()) {
        for (const TOutbox::Listed &listed : outbox.List()) {
            ids.append(listed.id);
        }
    }
    QList<TOutboxReport> reports;
    for (const QString &id : ids) {
        TOutboxReport report;
        if (session.Control() && session.Control()->IsCancelled()) {
            report.id = id;
            report.outcome = Outcome::Cancelled;
            report.result.code = ResultCode::kNoAnswer;
            report.result.cancelled = true;
            report.result.message = QStringLiteral("已取消发送");
        } else {
            report = sendEntry(session, dm, outbox, id);
        }
        if (each) {
            each(report);
        }
        reports.append(report);
    }
    return reports;
}
