// The main window's photo commands: the list's events and context menu, download, add, change and
// delete.

#include "UploadMain.h"

#include "AddPhoto.h"
#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "ViewPhoto.h"
#include "ui_UploadMain.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoWorkflow.h"

#include <QMenu>

void TFrm_UploadMain::Lv_ListChange(int row) {
    // Keep the view's highlight on the list's selected row, whoever changed it.
    const QModelIndexList highlighted = ui->Lv_List->selectionModel()->selectedRows();
    if (row < 0) {
        ui->Lv_List->selectionModel()->clearSelection();
        UpdateButtonStates(); // no row left for the commands to act on
        return;
    }
    if (highlighted.size() != 1 || highlighted.first().row() != row) {
        SelectRow(row);
    }
    if (!changingRows_) {
        SelectPhotoInfo(row);
    }
}

void TFrm_UploadMain::Lv_ListClick() {
    UpdateButtonStates();
}

void TFrm_UploadMain::Lv_ListDblClick() {
    const int row = SelectedRow();
    if (row < 0) {
        return;
    }
    const TPhotoListModel::PhotoState rowState = PhotoList->state(row);
    if (rowState == TPhotoListModel::NotDownloaded) {
        N_SmallClick();
    } else if (rowState == TPhotoListModel::SmallCached) {
        N_SourceClick();
    }
}

void TFrm_UploadMain::PM_ListPopup(const QPoint &pos) {
    const auto action = [this](const char *name) {
        return PM_List->findChild<QAction *>(QLatin1String(name));
    };
    const int row = SelectedRow();
    const TPhotoListModel::PhotoState rowState = PhotoList->state(row);
    action("N_Small")->setEnabled(row >= 0 && rowState == TPhotoListModel::NotDownloaded);
    action("N_Source")
        ->setEnabled(row >= 0 && (rowState == TPhotoListModel::NotDownloaded ||
                                  rowState == TPhotoListModel::SmallCached));
    action("N_EditPhoto")->setEnabled(row >= 0);
    action("N_DeletePhoto")->setEnabled(row >= 0);
    action("N_AddPhoto")->setEnabled(PhotoWorkflow::MayAddPhoto(*DM_Main));
    action("N_RefPhoto")->setEnabled(true);
    PM_List->popup(PhotoListView()->viewport()->mapToGlobal(pos));
}

void TFrm_UploadMain::N_SmallClick() {
    const int row = SelectedRow();
    if (row >= 0) {
        CurrentPhotoId = PhotoList->subItem(row, TPhotoListModel::PhotoIdColumn);
        DownloadPhoto(PhotoFlag::kSmall);
    }
}

void TFrm_UploadMain::N_SourceClick() {
    const int row = SelectedRow();
    if (row >= 0) {
        CurrentPhotoId = PhotoList->subItem(row, TPhotoListModel::PhotoIdColumn);
        DownloadPhoto(PhotoFlag::kSource);
    }
}

bool TFrm_UploadMain::DownloadPhoto(const QString &flag) {
    const QString photoId = CurrentPhotoId;
    const TOperationResult result =
        RunOperation(TPhotoSession::Notice(TPhotoSession::Step::Fetch), false,
                     [photoId, flag](TPhotoSession &session) { return session.Fetch(photoId, flag); });
    if (!result.ok()) {
        if (!result.cancelled) { // the runner said so already
            TMessageBox::Failure(this, result.message, result.reason);
        }
        return false;
    }
    // The operation marked the photo's row with the version it wrote; showing that row loads the
    // file of its new state.
    const int row = SelectedRow();
    if (row >= 0) {
        SelectPhotoInfo(row);
    }
    return true;
}

void TFrm_UploadMain::Btn_DeleteClick() {
    if (SelectedRow() >= 0) {
        DeletePhoto(TPhotoSession::Identity::Photo);
    }
}

void TFrm_UploadMain::N_DeletePhotoClick() {
    if (SelectedRow() >= 0) {
        DeletePhoto(TPhotoSession::Identity::Kept);
    }
}

void TFrm_UploadMain::DeletePhoto(TPhotoSession::Identity identity) {
    if (!TMessageBox::Question(this, QStringLiteral("您确定要删除照片吗?"), true)) {
        return;
    }
    const QString photoId = CurrentPhotoId;
    const TOperationResult result = RunOperation(
        TPhotoSession::Notice(TPhotoSession::Step::Delete), true,
        [photoId, identity](TPhotoSession &session) { return session.Delete(photoId, identity); });
    if (!result.ok()) {
        if (!result.cancelled) {
            TMessageBox::Failure(this, result.message, result.reason);
        }
        return;
    }
    ClearPreview();
    // The next row is shown once the list is complete again, so a question about its photo is
    // asked once and a download it starts finds a settled list.
    changingRows_ = true;
    PhotoList->removeRows(SelectedRow(), 1);
    if (PhotoList->rowCount() > 0) {
        SelectRow(0);
        PhotoListView()->setFocus();
    }
    changingRows_ = false;
    if (PhotoList->rowCount() > 0) {
        SelectPhotoInfo(0);
    }
    UpdateButtonStates();
    TMessageBox::Information(this, result.message);
}

bool TFrm_UploadMain::OpenEditor(int mode, QString &note, QString &photoId, QString &type, bool &imageSaved,
                                 const QString &photoPath, QStringList *severalPaths) {
    TFrm_AddPhoto editor(this);
    editor.OperMode = mode;
    editor.PhotoPath = photoPath;
    if (mode == TFrm_AddPhoto::ModeEdit) {
        editor.setWindowTitle(QStringLiteral("照片信息修改"));
        editor.PhotoNote = note;
        editor.PhotoId = photoId;
        editor.PhotoType = type;
    }
    editor.exec();
    UpdateOutboxCount(); // the editor may have kept the photo for later
    if (severalPaths != nullptr) {
        *severalPaths = editor.SeveralPaths;
    }
    if (!editor.Saved) {
        return false;
    }
    note = editor.PhotoNote;
    photoId = editor.PhotoId;
    type = editor.PhotoType;
    imageSaved = editor.ImageSaved;
    return true;
}

void TFrm_UploadMain::Btn_AddClick() {
    AddPhoto(QString());
}

void TFrm_UploadMain::AddPhoto(const QString &path) {
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(*DM_Main); !refusal.isEmpty()) {
        TMessageBox::Information(this, refusal);
        return;
    }
    QString note;
    QString photoId;
    QString type;
    bool imageSaved = false;
    QStringList several;
    if (!OpenEditor(TFrm_AddPhoto::ModeAdd, note, photoId, type, imageSaved, path, &several)) {
        if (several.size() > 1) {
            AddPhotos(several);
        }
        return;
    }
    const int row = PhotoList->appendRow(note, photoId, type, TPhotoListModel::SourceCached);
    SelectRow(row);
    PhotoListView()->setFocus();
    UpdateButtonStates();
}

void TFrm_UploadMain::N_AddPhotoClick() {
    Btn_AddClick();
}

void TFrm_UploadMain::N_EditPhotoClick() {
    Btn_EditClick();
}

void TFrm_UploadMain::Btn_EditClick() {
    const int row = SelectedRow();
    if (row < 0) {
        return;
    }
    QString note = PhotoList->subItem(row, TPhotoListModel::NoteColumn);
    QString photoId = PhotoList->subItem(row, TPhotoListModel::PhotoIdColumn);
    QString type = PhotoList->subItem(row, TPhotoListModel::TypeCodeColumn);
    bool imageSaved = false;
    if (!OpenEditor(TFrm_AddPhoto::ModeEdit, note, photoId, type, imageSaved)) {
        return;
    }
    PhotoList->setSubItem(row, TPhotoListModel::NoteColumn, note);
    PhotoList->setSubItem(row, TPhotoListModel::TypeCodeColumn, type);
    if (imageSaved) {
        // The editor filed the new image as both versions; a note alone downloads nothing.
        PhotoList->setState(row, TPhotoListModel::SourceCached);
    }
    SelectPhotoInfo(row);
}
