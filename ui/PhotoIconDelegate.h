#pragma once
// Paints one photo of the icon view: its thumbnail with the download-state mark in the corner and
// its note below; a photo without a thumbnail shows its state icon in the thumbnail's place.

#include <QStyledItemDelegate>

class TPhotoIconDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
