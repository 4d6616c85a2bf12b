#include "OutboxOffer.h"

#include "MessageBox.h"

#include <QStringList>

namespace OutboxOffer {

bool OfferToKeep(QWidget *parent, const TOperationResult &result, TOutboxEntry entry) {
    const QString reason = result.reason.isEmpty() ? result.message : result.reason;
    if (!TMessageBox::Question(
            parent,
            QStringLiteral("%1: %2\n\n是否保留到待发送箱,等网络恢复后再发送?").arg(result.message, reason))) {
        return false;
    }
    entry.reason = reason;
    try {
        TOutbox().Keep(entry);
    } catch (const std::exception &e) {
        TMessageBox::Failure(parent, QStringLiteral("保留照片失败"), QString::fromUtf8(e.what()));
        return false;
    }
    TMessageBox::Information(parent, QStringLiteral("照片已保留到待发送箱,可在主窗口点击“待发送”发送"));
    return true;
}

QString ReportText(const QList<TOutboxReport> &reports) {
    QStringList lines;
    for (const TOutboxReport &report : reports) {
        const TOperationResult &r = report.result;
        const QString why = r.reason.isEmpty() ? r.message : r.reason;
        QString line;
        switch (report.outcome) {
        case TOutboxReport::Outcome::Sent:
            line = QStringLiteral("已发送 %1").arg(r.photoId);
            break;
        case TOutboxReport::Outcome::AlreadySent:
            line = QStringLiteral("已在服务器上,未重复发送 %1").arg(r.photoId);
            break;
        case TOutboxReport::Outcome::Refused:
            line = QStringLiteral("被拒绝,仍保留: %1").arg(why);
            break;
        case TOutboxReport::Outcome::Unreachable:
            line = QStringLiteral("无法连接,仍保留: %1").arg(why);
            break;
        case TOutboxReport::Outcome::Unreadable:
            line = QStringLiteral("无法读取: %1").arg(why);
            break;
        case TOutboxReport::Outcome::Cancelled:
            line = QStringLiteral("已取消,仍保留");
            break;
        }
        lines.append(report.id + QStringLiteral(": ") + line);
    }
    return lines.join(u'\n');
}

} // namespace OutboxOffer
