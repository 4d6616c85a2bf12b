// The photo editor takes a dropped image file as its photo path, as if it had been chosen; a dropped
// image without a file is saved as the working file first (removed when the user leaves). Several files
// dropped on an add go to the sheet of several photos, as if they had been chosen together.

#include "AddPhoto.h"

#include "ui_AddPhoto.h"

#include "MessageBox.h"

#include <QDropEvent>
#include <QMimeData>

void TFrm_AddPhoto::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasUrls() || event->mimeData()->hasImage()) {
        event->acceptProposedAction();
    }
}

void TFrm_AddPhoto::dropEvent(QDropEvent *event) {
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, data = PhotoDrop::Read(event->mimeData())] { TakeDroppedPhoto(data); },
        Qt::QueuedConnection);
}

void TFrm_AddPhoto::TakeDroppedPhoto(const PhotoDrop::TPhotoData &data) {
    if (data.empty() || HandOnSeveral(data.files)) {
        return;
    }
    const PhotoDrop::TPhotoPath chosen = PhotoDrop::PhotoPath(data);
    if (!chosen.refusal.isEmpty()) {
        TMessageBox::Show(this, chosen.refusal, chosen.warning ? TMsgIcon::Warning : TMsgIcon::Information,
                          QMessageBox::Ok, true);
        return;
    }
    ChoosePhoto(chosen.path);
}
