// The main window's photo from outside: an image file dropped on the window, or an image or a file
// pasted with Ctrl+V, opens the photo editor to add it, as the add command does with the path filled in;
// several files dropped or pasted together open the sheet of several photos.

#include "UploadMain.h"

#include "MessageBox.h"
#include "PhotoSheet.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoWorkflow.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool companyShown() {
    return DM_Main != nullptr && DM_Main->CurrentCompany && !DM_Main->CurrentCompany->CustomerId.isEmpty();
}

bool carriesPhoto(const QMimeData *data) {
    return data != nullptr && (data->hasImage() || data->hasUrls());
}

} // namespace

void TFrm_UploadMain::dragEnterEvent(QDragEnterEvent *event) {
    if (carriesPhoto(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TFrm_UploadMain::dragMoveEvent(QDragMoveEvent *event) {
    if (carriesPhoto(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TFrm_UploadMain::dropEvent(QDropEvent *event) {
    event->acceptProposedAction();
    // Handled once the drop has ended, so the drag's source is not kept waiting by the editor.
    QMetaObject::invokeMethod(
        this, [this, data = PhotoDrop::Read(event->mimeData())] { AddPhotoFrom(data, false); },
        Qt::QueuedConnection);
}

void TFrm_UploadMain::N_PastePhotoClick() {
    AddPhotoFrom(PhotoDrop::Read(QGuiApplication::clipboard()->mimeData()), true);
}

void TFrm_UploadMain::AddPhotoFrom(const PhotoDrop::TPhotoData &data, bool pasted) {
    if (data.empty()) {
        if (pasted) {
            TMessageBox::Information(this, PhotoDrop::NoImageText());
        }
        return;
    }
    if (!companyShown()) {
        TMessageBox::Information(this, PhotoDrop::NoCompanyText());
        return;
    }
    if (data.files.size() > 1) {
        AddPhotos(data.files);
        return;
    }
    const PhotoDrop::TPhotoPath chosen = PhotoDrop::PhotoPath(data);
    if (!chosen.refusal.isEmpty()) {
        TMessageBox::Show(this, chosen.refusal, chosen.warning ? TMsgIcon::Warning : TMsgIcon::Information);
        return;
    }
    AddPhoto(chosen.path);
    if (chosen.workingFile) {
        QFile::remove(chosen.path); // the editor has sent and filed what it needed
    }
}

void TFrm_UploadMain::AddPhotos(const QStringList &files) {
    if (files.size() == 1) {
        AddPhoto(files.first());
        return;
    }
    // The sheet counts all its photos against the limit before it sends; here one must fit at least.
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(*DM_Main); !refusal.isEmpty()) {
        TMessageBox::Information(this, refusal);
        return;
    }
    TFrm_PhotoSheet sheet(files, this);
    sheet.exec();
    UpdateOutboxCount(); // the sheet may have kept photos for later
    if (!sheet.Attempted()) {
        return;
    }
    // The service's list, with what it took and what others added meanwhile; the last photo sent shows.
    RefreshPhotoList(TPhotoSession::Identity::Photo);
    const int row = sheet.SentIds.isEmpty() ? -1 : PhotoList->findRow(sheet.SentIds.last());
    if (row >= 0) {
        SelectRow(row);
        PhotoListView()->setFocus();
    }
}
