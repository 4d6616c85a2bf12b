#pragma once
// The dialog that adds a photo to the current company or changes one of its photos: the user picks a
// photo file, a photo type and a note. A chosen file is prepared at once, and the size it will be sent
// at shows before saving; saving sends those prepared bytes (or prepares a path typed in some other
// way first) behind the operation runner and shows what it returned.

#include "PhotoDrop.h"

#include "client/PhotoWorkflow.h"

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
    QString PhotoNote;       // edit: the current note; after a save: the note saved
    QString PhotoType;       // edit: the photo's type code; after a save: the type code saved
    bool ImageSaved = false; // after a save: a new image was sent and filed in the cache
    QString PhotoId;         // edit: the photo's ID; add: the ID given to the saved photo
    QString PhotoPath;       // add: the image file the dialog opens with (dropped or pasted); empty: none
    // add: several files chosen or dropped together; the dialog closed unsaved to hand them to the sheet
    // of several photos.
    QStringList SeveralPaths;

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

    void Btn_LoadClick();
    // The file becomes the photo path once it is prepared; a refused file leaves the path as it was.
    void ChoosePhoto(const QString &path);
    // The photo path is the prepared photo's: saving sends those bytes.
    bool HoldsPreparedPhoto() const;
    void ShowPreparedSizes();
    void TakeDroppedPhoto(const PhotoDrop::TPhotoData &data);
    // Several files in add mode: the dialog closes and hands them on (SeveralPaths).
    bool HandOnSeveral(const QStringList &files);
    void Btn_SaveClick();
    void Btn_CloseClick();

    // Warns (topmost) and moves the focus; CheckInput's answer to a failed check.
    bool Refuse(const QString &text, QWidget *focus);

    std::unique_ptr<Ui::TFrm_AddPhoto> ui;
    bool shown_ = false;
    // The chosen file as it will be sent, and its path; saved as it is while the path stays.
    PhotoWorkflow::TPreparedPhoto prepared_;
    QString preparedPath_;
};
