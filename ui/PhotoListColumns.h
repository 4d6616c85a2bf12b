#pragma once
// How the photo list looks on screen: the note column carries the row's download-state icon, and the
// columns have their captions ("图片列表" shown; photo ID, type and state kept hidden by the view).
// For the icon view the note column also carries the photo's thumbnail (ThumbnailRole), read lazily.

#include <QIdentityProxyModel>
#include <QPointer>

class TPhotoThumbnails;

class TPhotoListColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    // data() under this role gives the row's thumbnail (a QImage), or nothing while it is read and
    // when the photo's small version is missing or unreadable.
    static constexpr int ThumbnailRole = Qt::UserRole + 2;

    using QIdentityProxyModel::QIdentityProxyModel;

    // Where thumbnails come from; without one no row has a thumbnail.
    void setThumbnails(TPhotoThumbnails *thumbnails);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void thumbnailReady(const QString &photoId);

    QPointer<TPhotoThumbnails> thumbnails_;
};
