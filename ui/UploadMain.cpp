#include "UploadMain.h"

#include "DataNetCommunication.h"
#include "Login.h"
#include "MessageBox.h"
#include "PhotoListColumns.h"
#include "StateIcons.h"
#include "ViewPhoto.h"
#include "ui_UploadMain.h"

#include "client/MainDataModule.h"
#include "client/PhotoCache.h"
#include "client/PhotoListModel.h"
#include "client/PhotoWorkflow.h"
#include "core/FileOper.h"
#include "core/SysOper.h"
#include "core/WholeFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QThread>

#include <array>
#include <exception>

namespace {

// The status bar's panels: captions in the even ones, the company's values in the odd ones.
constexpr std::array<int, 8> kPanelWidths{80, 120, 80, 120, 60, 100, 80, 500};
constexpr int kMinNameWidth = 120;

// The working images in the program folder, removed when the user leaves.
const char *const kTemporaryImages[] = {"TempGID.jpg", "ZoomPhoto.jpg", "TempZip.jpg", "ConvertPhoto.jpg",
                                        PhotoDrop::kPastedFileName};

} // namespace

TFrm_UploadMain::TFrm_UploadMain(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFrm_UploadMain>()), photoList_(std::make_unique<TPhotoListModel>()) {
    ui->setupUi(this);
    FormCreate();
}

TFrm_UploadMain::~TFrm_UploadMain() {
    FormDestroy();
    if (DM_Main != nullptr && DM_Main->PhotoListView == photoList_.get()) {
        DM_Main->PhotoListView = nullptr;
    }
}

void TFrm_UploadMain::FormCreate() {
    PhotoList = photoList_.get();
    PhotoList->clear();
    if (DM_Main != nullptr) {
        DM_Main->PhotoListView = PhotoList;
    }
    listColumns_ = new TPhotoListColumns(this);
    listColumns_->setSourceModel(PhotoList);
    ui->Lv_List->setModel(listColumns_);
    QHeaderView *header = ui->Lv_List->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(TPhotoListModel::NoteColumn, QHeaderView::Stretch);
    for (int column = TPhotoListModel::PhotoIdColumn; column < TPhotoListModel::kSubItemCount; ++column) {
        ui->Lv_List->setColumnHidden(column, true);
    }
    ui->Lv_List->verticalHeader()->setDefaultSectionSize(28);
    ui->Image1->setPixmap(StateIcons::Pixmap(0));
    ui->Image2->setPixmap(StateIcons::Pixmap(1));
    ui->Image3->setPixmap(StateIcons::Pixmap(2));

    // The viewer is created now and docked into the preview area when the first photo is shown.
    Frm_ViewPhoto = new TFrm_ViewPhoto(ui->ScrollBox_Photo);
    Frm_ViewPhoto->setObjectName(QStringLiteral("Frm_ViewPhoto"));
    Frm_ViewPhoto->hide();

    BuildStatusBar();
    BuildOutboxButton();
    BuildContextMenu();
    ConnectCommands();
    BuildKeyboard();
    BuildIconView();
    setAcceptDrops(true);
    for (QPushButton *button : {ui->Btn_Add, ui->Btn_Edit, ui->Btn_Delete, ui->Btn_Right, ui->Btn_Left,
                                ui->Btn_ZoomOut, ui->Btn_ZoomIn, ui->Btn_ZoomSource}) {
        button->setEnabled(false);
    }
}

void TFrm_UploadMain::BuildStatusBar() {
    const QStringList captions{QStringLiteral("客户编码:"), QStringLiteral("软件编码:"),
                               QStringLiteral("授权码:"), QStringLiteral("企业名称:")};
    const std::array<QLineEdit **, 4> edits{&Ed_CustomerId, &Ed_SoftWareId, &Ed_DeviceId, &Ed_CompanyName};
    const QStringList names{QStringLiteral("Ed_CustomerId"), QStringLiteral("Ed_SoftWareId"),
                            QStringLiteral("Ed_DeviceId"), QStringLiteral("Ed_CompanyName")};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        auto *caption = new QLabel(captions.at(static_cast<qsizetype>(i)), ui->StatusBar);
        caption->setFixedWidth(kPanelWidths[2 * i]);
        ui->StatusBar->addWidget(caption);
        auto *edit = new QLineEdit(ui->StatusBar);
        edit->setObjectName(names.at(static_cast<qsizetype>(i)));
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setStyleSheet(QStringLiteral("background: transparent; color: blue; font-weight: bold;"));
        const int width = kPanelWidths[2 * i + 1] - 5;
        if (i + 1 < edits.size()) {
            edit->setFixedSize(width, 18);
            ui->StatusBar->addWidget(edit);
        } else {
            // The company's name takes what is left, so that the window fits a 1024-pixel screen.
            edit->setFixedHeight(18);
            edit->setMinimumWidth(kMinNameWidth);
            edit->setMaximumWidth(width);
            ui->StatusBar->addWidget(edit, 1);
        }
        *edits[i] = edit;
    }
}

void TFrm_UploadMain::BuildContextMenu() {
    PM_List = new QMenu(this);
    PM_List->setObjectName(QStringLiteral("PM_List"));
    const auto item = [this](const char *name, const QString &text, void (TFrm_UploadMain::*slot)()) {
        QAction *action = PM_List->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    item("N_Small", QStringLiteral("下载照片(小图)"), &TFrm_UploadMain::N_SmallClick);
    item("N_Source", QStringLiteral("下载照片(大图)"), &TFrm_UploadMain::N_SourceClick);
    PM_List->addSeparator();
    item("N_RefPhoto", QStringLiteral("刷新照片"), &TFrm_UploadMain::N_RefPhotoClick);
    PM_List->addSeparator();
    item("N_AddPhoto", QStringLiteral("新增照片"), &TFrm_UploadMain::N_AddPhotoClick);
    item("N_EditPhoto", QStringLiteral("修改照片"), &TFrm_UploadMain::N_EditPhotoClick);
    item("N_DeletePhoto", QStringLiteral("删除照片"), &TFrm_UploadMain::N_DeletePhotoClick);
}

void TFrm_UploadMain::ConnectCommands() {
    connect(ui->Btn_QueryInfo, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_QueryInfoClick);
    connect(ui->Ed_CompanyId, &QLineEdit::returnPressed, this, &TFrm_UploadMain::Ed_CompanyIdKeyDown);
    connect(ui->Btn_Add, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_AddClick);
    connect(ui->Btn_Edit, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_EditClick);
    connect(ui->Btn_Delete, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_DeleteClick);
    connect(ui->Btn_RefPhoto, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_RefPhotoClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_CloseClick);
    connect(ui->Btn_Right, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_RightClick);
    connect(ui->Btn_Left, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_LeftClick);
    connect(ui->Btn_ZoomOut, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_ZoomOutClick);
    connect(ui->Btn_ZoomIn, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_ZoomInClick);
    connect(ui->Btn_ZoomSource, &QPushButton::clicked, this, &TFrm_UploadMain::Btn_ZoomSourceClick);
    // Every click in the list updates the buttons, also one on the empty space below the rows.
    ui->Lv_List->viewport()->installEventFilter(this);
    connect(ui->Lv_List, &QAbstractItemView::doubleClicked, this, &TFrm_UploadMain::Lv_ListDblClick);
    connect(ui->Lv_List, &QWidget::customContextMenuRequested, this, &TFrm_UploadMain::PM_ListPopup);
    // The highlighted row and the list's selected row are one: the photo operations mark the selected
    // row, the user highlights in the view. Following the highlight (not the current index) means the
    // row is selected only once it is shown highlighted, and a Ctrl+click that clears it selects none.
    connect(ui->Lv_List->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = ui->Lv_List->selectionModel()->selectedRows();
        PhotoList->setSelectedRow(rows.size() == 1 ? rows.first().row() : -1);
    });
    connect(PhotoList, &TPhotoListModel::selectedRowChanged, this, &TFrm_UploadMain::Lv_ListChange);
}

bool TFrm_UploadMain::eventFilter(QObject *watched, QEvent *event) {
    const bool listViewport =
        watched == ui->Lv_List->viewport() || (Lv_Icons != nullptr && watched == Lv_Icons->viewport());
    if (listViewport && event->type() == QEvent::MouseButtonRelease) {
        // After the view has handled the release, so the buttons see the selection it leaves.
        QMetaObject::invokeMethod(this, &TFrm_UploadMain::Lv_ListClick, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrm_UploadMain::setVisible(bool visible) {
    if (visible && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    if (visible && terminateRequested_) {
        return;
    }
    QMainWindow::setVisible(visible);
}

void TFrm_UploadMain::FormShow() {
    if (!loginDone_ && !UserLogin()) {
        terminateRequested_ = true;
        // Before the application's loop runs (the first show from the entry) the entry reads
        // TerminateRequested instead: a quit issued then would end every later loop at once.
        if (thread()->loopLevel() > 0) {
            QCoreApplication::quit();
        }
        return;
    }
    ui->Pnl_Query->setVisible(true);
    UpdateButtonStates();
    ShowCompanyInfo();
    ui->Ed_CompanyId->setFocus();
}

bool TFrm_UploadMain::UserLogin() {
    try {
        TFrm_Login login;
        login.exec();
        return DM_Main->LoginOk;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("登录失败,UserLogin中错误:") + QString::fromUtf8(e.what()));
    }
    return false;
}

TOperationResult
TFrm_UploadMain::RunOperation(const QString &notice, bool changesServer,
                              const std::function<TOperationResult(TPhotoSession &)> &operation) {
    return TFrm_DataNetCommunication::Run(this, notice, changesServer, operation);
}

void TFrm_UploadMain::ShowCompanyInfo() {
    const TCurrentCompany none;
    const TCurrentCompany &company =
        DM_Main != nullptr && DM_Main->CurrentCompany ? *DM_Main->CurrentCompany : none;
    Ed_CustomerId->setText(company.CustomerId);
    Ed_SoftWareId->setText(company.SoftwareId);
    Ed_DeviceId->setText(company.DeviceId);
    Ed_CompanyName->setText(company.CompanyName);
    for (QLineEdit *edit : {Ed_CustomerId, Ed_SoftWareId, Ed_DeviceId, Ed_CompanyName}) {
        edit->setCursorPosition(0);
    }
}

void TFrm_UploadMain::UpdateButtonStates() {
    ui->Btn_Add->setEnabled(DM_Main != nullptr && PhotoWorkflow::MayAddPhoto(*DM_Main));
    const bool picture = Img_Photo.HasPicture();
    for (QPushButton *button : {ui->Btn_Right, ui->Btn_Left, ui->Btn_ZoomOut, ui->Btn_ZoomIn,
                                ui->Btn_ZoomSource, ui->Btn_Delete, ui->Btn_Edit}) {
        button->setEnabled(picture);
    }
    const bool selected = SelectedRow() >= 0;
    ui->Btn_Edit->setEnabled(selected);
    ui->Btn_Delete->setEnabled(selected);
}

int TFrm_UploadMain::SelectedRow() const {
    return PhotoList->selectedRow();
}

void TFrm_UploadMain::SelectRow(int row) {
    const QModelIndex index = listColumns_->index(row, TPhotoListModel::NoteColumn);
    ui->Lv_List->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    PhotoList->setSelectedRow(row);
}

void TFrm_UploadMain::Btn_CloseClick() {
    close();
}

void TFrm_UploadMain::closeEvent(QCloseEvent *event) {
    if (closing_ || FormClose()) {
        closing_ = true;
        event->accept();
        QCoreApplication::quit();
        return;
    }
    event->ignore();
}

bool TFrm_UploadMain::FormClose() {
    if (!TMessageBox::Question(this, QStringLiteral("确定要退出企业照片采集程序吗?"), true)) {
        return false;
    }
    TFileOper::WriteLog(QStringLiteral("用户退出系统"));
    const QString appPath = TSysOper::GetAppPath();
    for (const char *name : kTemporaryImages) {
        QFile::remove(appPath + QLatin1String(name));
    }
    TSysOper::DeleteFiles(QStringLiteral("*.jpg"), PhotoCache::Folder());
    // What writers killed mid-write left behind (this program's or the CLI's, in any of its folders).
    for (const QString &folder : {PhotoCache::Folder(), appPath, appPath + QStringLiteral("PictureConfig")}) {
        SweepWholeFileLeftovers(folder);
    }
    return true;
}

void TFrm_UploadMain::FormDestroy() {
    QFile::remove(TSysOper::GetAppPath() + QStringLiteral("TempGID.jpg"));
}
