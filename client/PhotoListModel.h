#pragma once
// The company's photo list below the GUI: one row per photo with four sub-items (note, photo ID,
// type code, download state "0"/"1"/"2"), an image index per row (the state icon) and the selected
// row. The photo operations fill and mark rows through DM_Main->PhotoListView; the main window binds
// a view to the same model and maps image indexes to icons.

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

class TPhotoListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum SubItem { NoteColumn = 0, PhotoIdColumn = 1, TypeCodeColumn = 2, StateColumn = 3 };
    static constexpr int kSubItemCount = 4;
    // data() under this role gives the row's image index (an int), for every column.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    // What of a photo the cache holds: its download state, written as sub-item 3 ("0", "1", "2") and
    // shown by the image index of the same number. NoState stands for any other sub-item text.
    enum PhotoState : int { NoState = -1, NotDownloaded = 0, SmallCached = 1, SourceCached = 2 };
    static QString StateText(PhotoState state) { return QString::number(state); }

    explicit TPhotoListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    // Removes every row; the selection becomes -1.
    void clear();
    // Adds an empty row (no sub-items, image index 0) at the end and returns its index.
    int appendRow();
    // Adds a row with all four sub-items and its image index; returns its index.
    int appendRow(const QString &note, const QString &photoId, const QString &typeCode, PhotoState state);
    // Adds the next sub-item of the row (0, then 1, ...); a row holds at most four.
    void addSubItem(int row, const QString &text);
    void setSubItem(int row, int column, const QString &text);
    // The text of a sub-item; empty for one not added yet or a row that does not exist.
    QString subItem(int row, int column) const;
    int subItemCount(int row) const;
    // The row's download state from its sub-item 3.
    PhotoState state(int row) const;
    // Sets the row's sub-item 3 and its image index to the state.
    void setState(int row, PhotoState state);
    void setImageIndex(int row, int imageIndex);
    int imageIndex(int row) const; // -1 for a row that does not exist

    // The first row whose photo ID is photoId, -1 when there is none.
    int findRow(const QString &photoId) const;

    // The selected row, -1 for none.
    int selectedRow() const { return selected_; }
    // Selects row (or nothing for -1; out-of-range values select nothing).
    void setSelectedRow(int row);

signals:
    void selectedRowChanged(int row);

private:
    struct Row {
        QStringList subItems;
        int imageIndex = 0;
    };
    bool valid(int row) const { return row >= 0 && row < rows_.size(); }
    void rowChanged(int row);

    QList<Row> rows_;
    int selected_ = -1;
};
