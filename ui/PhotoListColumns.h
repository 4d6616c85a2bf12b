#pragma once
// How the photo list looks on screen: the note column carries the row's download-state icon, and the
// columns have their captions ("图片列表" shown; photo ID, type and state kept hidden by the view).

#include <QIdentityProxyModel>

class TPhotoListColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
};
