// The main window's two looks of the photo list: the rows (Lv_List) and the icon view (Lv_Icons) of
// the photos' small versions. Both show the same model through the same selection model, so every
// command, the preview and the keyboard work the same in either. The choice is kept in the program
// folder.

#include "UploadMain.h"

#include "PhotoIconDelegate.h"
#include "PhotoListColumns.h"
#include "PhotoThumbnails.h"
#include "ui_UploadMain.h"

#include "client/PhotoListModel.h"
#include "core/FileOper.h"
#include "core/SysOper.h"

#include <QListView>
#include <QToolButton>

namespace {

// Where the look of the list is kept: "View" is "Icon" or "List".
QString viewSettingsFile() {
    return TSysOper::GetAppPath() + QStringLiteral("PictureConfig/View.ini");
}
const QString kSection = QStringLiteral("PhotoList");
const QString kKey = QStringLiteral("View");
const QString kIcon = QStringLiteral("Icon");
const QString kList = QStringLiteral("List");

} // namespace

void TFrm_UploadMain::BuildIconView() {
    thumbnails_ = new TPhotoThumbnails(this);
    listColumns_->setThumbnails(thumbnails_);

    Lv_Icons = new QListView(ui->Pnl_Left);
    Lv_Icons->setObjectName(QStringLiteral("Lv_Icons"));
    Lv_Icons->setViewMode(QListView::IconMode);
    Lv_Icons->setMovement(QListView::Static);
    Lv_Icons->setResizeMode(QListView::Adjust);
    Lv_Icons->setWrapping(true);
    Lv_Icons->setUniformItemSizes(true);
    Lv_Icons->setSpacing(2);
    Lv_Icons->setStyleSheet(QStringLiteral("font-size: 14px;"));
    // Drops land on the window, which turns them into a new photo.
    Lv_Icons->setDragDropMode(QAbstractItemView::NoDragDrop);
    Lv_Icons->setAcceptDrops(false);
    Lv_Icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Lv_Icons->setSelectionMode(QAbstractItemView::SingleSelection);
    Lv_Icons->setSelectionBehavior(QAbstractItemView::SelectRows);
    Lv_Icons->setContextMenuPolicy(Qt::CustomContextMenu);
    Lv_Icons->setModel(listColumns_);
    Lv_Icons->setModelColumn(TPhotoListModel::NoteColumn);
    Lv_Icons->setSelectionModel(ui->Lv_List->selectionModel());
    Lv_Icons->setItemDelegate(new TPhotoIconDelegate(Lv_Icons));
    Lv_Icons->hide();

    Btn_IconView = new QToolButton(ui->Pnl_Left);
    Btn_IconView->setObjectName(QStringLiteral("Btn_IconView"));
    Btn_IconView->setText(QStringLiteral("缩略图显示"));
    Btn_IconView->setToolTip(QStringLiteral("在照片列表与缩略图之间切换"));
    Btn_IconView->setCheckable(true);
    Btn_IconView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    const int at = ui->Layout_Left->indexOf(ui->Lv_List);
    ui->Layout_Left->insertWidget(at + 1, Lv_Icons);
    ui->Layout_Left->insertWidget(at, Btn_IconView);

    Lv_Icons->viewport()->installEventFilter(this);
    connect(Lv_Icons, &QAbstractItemView::doubleClicked, this, &TFrm_UploadMain::Lv_ListDblClick);
    connect(Lv_Icons, &QWidget::customContextMenuRequested, this, &TFrm_UploadMain::PM_ListPopup);

    QWidget::setTabOrder(ui->Btn_QueryInfo, Btn_IconView);
    QWidget::setTabOrder(Btn_IconView, ui->Lv_List);
    QWidget::setTabOrder(ui->Lv_List, Lv_Icons);
    QWidget::setTabOrder(Lv_Icons, ui->Btn_Add);

    const bool icons =
        TFileOper::ReadIniFile(viewSettingsFile(), kSection, kKey).compare(kIcon, Qt::CaseInsensitive) == 0;
    Btn_IconView->setChecked(icons);
    ShowIconView(icons);
    connect(Btn_IconView, &QToolButton::toggled, this, &TFrm_UploadMain::Btn_IconViewClick);
}

void TFrm_UploadMain::Btn_IconViewClick(bool icons) {
    ShowIconView(icons);
    TFileOper::WriteIniFile(viewSettingsFile(), kSection, kKey, icons ? kIcon : kList);
}

void TFrm_UploadMain::ShowIconView(bool icons) {
    QAbstractItemView *shown = icons ? static_cast<QAbstractItemView *>(Lv_Icons) : ui->Lv_List;
    QAbstractItemView *hidden = icons ? static_cast<QAbstractItemView *>(ui->Lv_List) : Lv_Icons;
    const bool hadFocus = hidden->hasFocus();
    // Handing the focus from one view to the other can move the shared current index on: the photo
    // selected before stays selected, and the preview and the buttons stay with it.
    const int row = SelectedRow();
    changingRows_ = true;
    hidden->hide();
    shown->show();
    if (hadFocus) {
        shown->setFocus();
    }
    if (row >= 0 && SelectedRow() != row) {
        SelectRow(row);
    }
    changingRows_ = false;
    const QModelIndex current = shown->selectionModel()->currentIndex();
    if (current.isValid()) {
        shown->scrollTo(current);
    }
}

QAbstractItemView *TFrm_UploadMain::PhotoListView() const {
    return Lv_Icons != nullptr && Btn_IconView->isChecked() ? static_cast<QAbstractItemView *>(Lv_Icons)
                                                            : ui->Lv_List;
}
