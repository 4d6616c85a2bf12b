// The main window's preview: which cached file a row shows, the labels above the pane, and the rotate,
// zoom and wheel commands for the docked viewer.

#include "UploadMain.h"

#include "MessageBox.h"
#include "ViewCommands.h"
#include "ViewPhoto.h"
#include "ui_UploadMain.h"

#include "client/PhotoCache.h"
#include "client/PhotoListModel.h"
#include "contract/PictureService.h"
#include "core/FileOper.h"
#include "core/SysOper.h"
#include "imaging/ImgOper.h"
#include "imaging/PhotoFacts.h"

#include <QWheelEvent>

#include <exception>

namespace {

const char kRedownloadQuestion[] = "已下载的照片被删除或不存在,是否重新下载?";

} // namespace

void TFrm_UploadMain::SelectPhotoInfo(int row) {
    try {
        const QString folder = PhotoCache::Folder();
        CurrentPhotoId = PhotoList->subItem(row, TPhotoListModel::PhotoIdColumn);
        const TPhotoListModel::PhotoState rowState = PhotoList->state(row);
        // An ID that is no plain file name has no cache files: it is shown as not downloaded.
        const bool cacheable = PhotoCache::IsPlainFileName(CurrentPhotoId);
        const QString source = cacheable ? PhotoCache::SourceFile(folder, CurrentPhotoId) : QString();
        const QString small = cacheable ? PhotoCache::SmallFile(folder, CurrentPhotoId) : QString();
        const auto load = [this](const QString &path) {
            Img_Photo.LoadFromFile(path);
            CurrentPhotoFile = path;
        };
        // Whatever was shown belongs to another row: unless this row's file loads, the preview shows
        // the not-downloaded notice.
        Img_Photo.Clear();
        CurrentPhotoFile.clear();
        const bool claimsCached =
            rowState == TPhotoListModel::SourceCached || rowState == TPhotoListModel::SmallCached;
        if (claimsCached && cacheable) {
            if (rowState == TPhotoListModel::SourceCached && PhotoCache::Exists(source)) {
                load(source);
            } else if (PhotoCache::Exists(small)) {
                load(small);
                // The row says what the cache holds: the small version only.
                PhotoList->setState(row, TPhotoListModel::SmallCached);
            } else {
                // Nothing of the photo is left: the screen says so while the question is up.
                ShowCurrentPhoto();
                if (TMessageBox::Question(this, QString::fromUtf8(kRedownloadQuestion), true) &&
                    DownloadPhoto(PhotoFlag::kSource)) {
                    return; // the download showed the photo it fetched
                }
                PhotoList->setState(row, TPhotoListModel::NotDownloaded);
            }
        }
        ShowCurrentPhoto();
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("选择照片时失败,SelectPhotoInfo中错误:") +
                            QString::fromUtf8(e.what()));
    }
}

void TFrm_UploadMain::ShowCurrentPhoto() {
    if (!Img_Photo.HasPicture()) {
        Frm_ViewPhoto->PhotoImage = QImage();
        Frm_ViewPhoto->update();
        Frm_ViewPhoto->Label1->setVisible(true);
        ui->Lb_Msg->setText(QStringLiteral(" 当前没有下载照片,请双击照片列表或右键下载照片"));
        ui->Lb_Size->setText(QStringLiteral("照片大小: 0 KB"));
        ShowPhotoFacts(QString());
        UpdateButtonStates();
        return;
    }
    Frm_ViewPhoto->Label1->setVisible(false);
    Frm_ViewPhoto->PhotoImage = QImage();
    const QString shown = TSysOper::GetAppPath() + QStringLiteral("TempGID.jpg");
    TImgOper::SaveImgInfo(shown, Img_Photo.Bytes());
    const int row = SelectedRow();
    ui->Lb_Msg->setText(QStringLiteral(" 当前:") +
                        (row >= 0 ? PhotoList->subItem(row, TPhotoListModel::NoteColumn) : QString()));
    const QString size = PreviewText::SizeLabel(TImgOper::GetFileSize(shown));
    if (!size.isEmpty()) {
        ui->Lb_Size->setText(size);
    }
    ShowPhotoFacts(shown);
    Frm_ViewPhoto->PhotoFile = shown;
    if (Frm_ViewPhoto->isVisible()) {
        Frm_ViewPhoto->InitSystem();
    } else {
        // The first photo docks the viewer into the preview area; showing it loads the file.
        ui->ScrollBox_Photo->layout()->addWidget(Frm_ViewPhoto);
        Frm_ViewPhoto->show();
    }
    // The buttons follow the shown photo at once, as after a click on its row.
    UpdateButtonStates();
}

// The facts appear on hover over the size label and over the photo (the viewer has no tooltip of its
// own, so the pane's shows).
void TFrm_UploadMain::ShowPhotoFacts(const QString &file) {
    const QString facts = file.isEmpty() ? QString() : PreviewText::FactsText(ReadPhotoFacts(file));
    ui->Lb_Size->setToolTip(facts);
    ui->ScrollBox_Photo->setToolTip(facts);
}

void TFrm_UploadMain::Btn_RightClick() {
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_ROTATERIGHT);
}
void TFrm_UploadMain::Btn_LeftClick() {
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_ROTATELEFT);
}
// The names run against the captions: "放大图片" enlarges, "缩小图片" shrinks.
void TFrm_UploadMain::Btn_ZoomOutClick() {
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_ZOOMIN);
}
void TFrm_UploadMain::Btn_ZoomInClick() {
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_ZOOMOUT);
}
void TFrm_UploadMain::Btn_ZoomSourceClick() {
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_SOURCESIZE);
}

// Wheel events the viewer and the panels around it do not use come up to the window; the list keeps
// its own for scrolling.
void TFrm_UploadMain::wheelEvent(QWheelEvent *event) {
    FormMouseWheel(event);
    event->accept();
}

void TFrm_UploadMain::FormMouseWheel(QWheelEvent *event) {
    const int notches = wheelNotches_.Add(event->angleDelta().y());
    const QRect preview(ui->ScrollBox_Photo->mapToGlobal(QPoint(0, 0)), ui->ScrollBox_Photo->size());
    if (!preview.contains(event->globalPosition().toPoint()) || notches == 0) {
        return;
    }
    if (notches > 0) {
        FormMouseWheelUp(notches);
    } else {
        FormMouseWheelDown(-notches);
    }
    SendViewCommand(Frm_ViewPhoto, WM_VIEW_WHEEL);
}

void TFrm_UploadMain::FormMouseWheelDown(int notches) {
    for (int i = 0; i < notches; ++i) {
        SendViewCommand(Frm_ViewPhoto, WM_VIEW_WHEELDOWN);
    }
}

void TFrm_UploadMain::FormMouseWheelUp(int notches) {
    for (int i = 0; i < notches; ++i) {
        SendViewCommand(Frm_ViewPhoto, WM_VIEW_WHEELUP);
    }
}
