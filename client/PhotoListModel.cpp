#include "PhotoListModel.h"

TPhotoListModel::TPhotoListModel(QObject *parent) : QAbstractTableModel(parent) {}

int TPhotoListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TPhotoListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : kSubItemCount;
}

QVariant TPhotoListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !valid(index.row())) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return subItem(index.row(), index.column());
    }
    if (role == ImageIndexRole) {
        return rows_[index.row()].imageIndex;
    }
    return QVariant();
}

bool TPhotoListModel::removeRows(int row, int count, const QModelIndex &parent) {
    if (parent.isValid() || count <= 0 || row < 0 || row + count > rows_.size()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    rows_.remove(row, count);
    endRemoveRows();
    if (selected_ >= row + count) {
        selected_ -= count;
        emit selectedRowChanged(selected_);
    } else if (selected_ >= row) {
        selected_ = -1;
        emit selectedRowChanged(selected_);
    }
    return true;
}

void TPhotoListModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
    setSelectedRow(-1);
}

int TPhotoListModel::appendRow() {
    const int row = int(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    rows_.append(Row());
    endInsertRows();
    return row;
}

int TPhotoListModel::appendRow(const QString &note, const QString &photoId, const QString &typeCode,
                               PhotoState state) {
    const int row = int(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    rows_.append(Row{{note, photoId, typeCode, StateText(state)}, state});
    endInsertRows();
    return row;
}

void TPhotoListModel::addSubItem(int row, const QString &text) {
    if (valid(row) && rows_[row].subItems.size() < kSubItemCount) {
        rows_[row].subItems.append(text);
        rowChanged(row);
    }
}

void TPhotoListModel::setSubItem(int row, int column, const QString &text) {
    if (!valid(row) || column < 0 || column >= kSubItemCount) {
        return;
    }
    QStringList &items = rows_[row].subItems;
    while (items.size() <= column) {
        items.append(QString());
    }
    items[column] = text;
    rowChanged(row);
}

QString TPhotoListModel::subItem(int row, int column) const {
    return valid(row) ? rows_[row].subItems.value(column) : QString();
}

int TPhotoListModel::subItemCount(int row) const {
    return valid(row) ? int(rows_[row].subItems.size()) : 0;
}

TPhotoListModel::PhotoState TPhotoListModel::state(int row) const {
    const QString text = subItem(row, StateColumn);
    for (const PhotoState known : {NotDownloaded, SmallCached, SourceCached}) {
        if (text == StateText(known)) {
            return known;
        }
    }
    return NoState;
}

void TPhotoListModel::setState(int row, PhotoState state) {
    if (valid(row) && rows_[row].subItems.size() > StateColumn) {
        rows_[row].subItems[StateColumn] = StateText(state);
        rows_[row].imageIndex = state;
        rowChanged(row);
    }
}

void TPhotoListModel::setImageIndex(int row, int imageIndex) {
    if (valid(row)) {
        rows_[row].imageIndex = imageIndex;
        rowChanged(row);
    }
}

int TPhotoListModel::imageIndex(int row) const {
    return valid(row) ? rows_[row].imageIndex : -1;
}

int TPhotoListModel::findRow(const QString &photoId) const {
    for (int row = 0; row < rows_.size(); ++row) {
        if (rows_[row].subItems.value(PhotoIdColumn) == photoId &&
            rows_[row].subItems.size() > PhotoIdColumn) {
            return row;
        }
    }
    return -1;
}

void TPhotoListModel::setSelectedRow(int row) {
    const int next = valid(row) ? row : -1;
    if (next != selected_) {
        selected_ = next;
        emit selectedRowChanged(selected_);
    }
}

void TPhotoListModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kSubItemCount - 1));
}
