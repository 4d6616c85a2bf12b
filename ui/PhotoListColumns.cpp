#include "PhotoListColumns.h"

#include "PhotoThumbnails.h"
#include "StateIcons.h"

#include "client/PhotoListModel.h"

void TPhotoListColumns::setThumbnails(TPhotoThumbnails *thumbnails) {
    thumbnails_ = thumbnails;
    connect(thumbnails, &TPhotoThumbnails::ready, this, &TPhotoListColumns::thumbnailReady);
}

void TPhotoListColumns::thumbnailReady(const QString &photoId) {
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex note = index(row, TPhotoListModel::NoteColumn);
        if (note.siblingAtColumn(TPhotoListModel::PhotoIdColumn).data().toString() == photoId) {
            emit dataChanged(note, note, {ThumbnailRole});
        }
    }
}

QVariant TPhotoListColumns::data(const QModelIndex &index, int role) const {
    if (role == ThumbnailRole) {
        if (thumbnails_.isNull() || index.column() != TPhotoListModel::NoteColumn) {
            return {};
        }
        const QImage image =
            thumbnails_->Thumbnail(index.siblingAtColumn(TPhotoListModel::PhotoIdColumn).data().toString());
        return image.isNull() ? QVariant() : QVariant(image);
    }
    if (role == Qt::DecorationRole && index.column() == TPhotoListModel::NoteColumn) {
        return StateIcons::Icon(QIdentityProxyModel::data(index, TPhotoListModel::ImageIndexRole).toInt());
    }
    if (role == Qt::TextAlignmentRole && index.column() == TPhotoListModel::NoteColumn) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return QIdentityProxyModel::data(index, role);
}

QVariant TPhotoListColumns::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case TPhotoListModel::NoteColumn:
            return QStringLiteral("图片列表");
        case TPhotoListModel::PhotoIdColumn:
            return QStringLiteral("照片编号");
        case TPhotoListModel::TypeCodeColumn:
            return QStringLiteral("照片标识");
        case TPhotoListModel::StateColumn:
            return QStringLiteral("照片获取状态");
        default:
            break;
        }
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}
