#include "PhotoIconDelegate.h"

#include "PhotoListColumns.h"
#include "PhotoThumbnails.h"
#include "StateIcons.h"

#include "client/PhotoListModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kMargin = 6;
constexpr int kStateIconScale = 2; // the state icon standing in for a missing thumbnail

} // namespace

QSize TPhotoIconDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    const QSize thumb = TPhotoThumbnails::kSize;
    return {thumb.width() + 2 * kMargin, thumb.height() + option.fontMetrics.height() + 3 * kMargin};
}

void TPhotoIconDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget != nullptr ? widget->style() : QApplication::style();
    opt.text.clear();
    opt.icon = QIcon();
    opt.showDecorationSelected = true; // the whole cell shows the selection, not only a text rectangle
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QRect cell = opt.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const QRect box(cell.left() + (cell.width() - TPhotoThumbnails::kSize.width()) / 2, cell.top(),
                    TPhotoThumbnails::kSize.width(), TPhotoThumbnails::kSize.height());
    const QPixmap stateMark = StateIcons::Pixmap(index.data(TPhotoListModel::ImageIndexRole).toInt());
    const QImage thumbnail = index.data(TPhotoListColumns::ThumbnailRole).value<QImage>();
    painter->save();
    if (!thumbnail.isNull()) {
        QRect picture(QPoint(), thumbnail.size().scaled(box.size(), Qt::KeepAspectRatio));
        picture.moveCenter(box.center());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(picture, thumbnail);
        painter->setPen(opt.palette.color(QPalette::Mid));
        painter->drawRect(picture.adjusted(0, 0, -1, -1));
        painter->drawPixmap(picture.right() - stateMark.width() - 2,
                            picture.bottom() - stateMark.height() - 2, stateMark);
    } else {
        QRect icon(QPoint(), stateMark.size() * kStateIconScale);
        icon.moveCenter(box.center());
        painter->drawPixmap(icon, stateMark);
    }
    const QRect noteRect(cell.left(), box.bottom() + kMargin, cell.width(), opt.fontMetrics.height());
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(opt.font);
    const QString note = index.data(Qt::DisplayRole).toString();
    painter->drawText(noteRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      opt.fontMetrics.elidedText(note, Qt::ElideRight, noteRect.width()));
    painter->restore();
}
