#pragma once
// The dialog that adds a photo to the current company or changes one of its photos: the user picks a
// JPEG, a photo type and a note; saving prepares the source and small versions, sends them through the
// operation runner and, once the server has accepted them, files both versions in the photo cache.

#include "PhotoDrop.h"

#include "client/PhotoWorkflow.h"
#include "contract/PictureService.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFrm_AddPhoto;
}

class TFrm_AddPhoto : public QDialog {
    Q_OBJECT
public:
    enum : int { ModeAdd = 0, ModeEdit = 1 };

    explicit TFrm_AddPhoto(QWidget *parent = nullptr);
    ~TFrm_AddPhoto() override;

    bool Saved = false;
    int OperMode = ModeAdd;
    QString PhotoNote;  // edit: the current note; after a save: the note saved
    QString PhotoType;  // edit: the photo's type code; after a save: the type code saved
    QString SmallFile;  // the prepared small version's file
    QString SourceFile; // the prepared source version's file
    QString PhotoId;    // edit: the photo's ID; add: the ID given to the saved photo
    QString PhotoPath;  // add: the image file the dialog opens with (dropped or pasted); empty: none

protected:
    void showEvent(QShowEvent *event) override;
    // An image file dropped on the dialog becomes its photo path (AddPhotoDrop.cpp).
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormShow();
    void InitPhotoTypeList();
    QString FindPhotoTypeItem() const;
    bool IsPhotoTypeUsed(const QString &code) const;
    bool CheckInput();
    bool GetPhotoInfo();
    bool CreatePhotoInfo(TPictureInfo &info);
    bool SavePhotoInfo(const TPictureInfo &info);
    void FilePreparedImages();

    void Btn_LoadClick();
    void TakeDroppedPhoto(const PhotoDrop::TPhotoData &data);
    void Btn_SaveClick();
    void Btn_CloseClick();

    // Warns (topmost) and moves the focus; CheckInput's answer to a failed check.
    bool Refuse(const QString &text, QWidget *focus);

    std::unique_ptr<Ui::TFrm_AddPhoto> ui;
    PhotoWorkflow::TPreparedPhoto prepared_; // the versions of the chosen image the last save prepared
    bool shown_ = false;
    bool saveCancelled_ = false; // the user stopped the last save; the runner told them
};
