#include "AddPhoto.h"

#include "ui_AddPhoto.h"

#include "DataNetCommunication.h"
#include "DialogFrame.h"
#include "MessageBox.h"
#include "OpenFileDialog.h"
#include "OutboxOffer.h"
#include "PreparedSizes.h"

#include "client/MainDataModule.h"
#include "client/PhotoTypeChoice.h"
#include "client/PhotoWorkflow.h"

#include <QTimer>

#include <exception>

namespace {

PhotoWorkflow::EditMode editMode(int operMode) {
    return operMode == TFrm_AddPhoto::ModeAdd ? PhotoWorkflow::EditMode::Add : PhotoWorkflow::EditMode::Edit;
}

} // namespace

TFrm_AddPhoto::TFrm_AddPhoto(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFrm_AddPhoto>()) {
    ui->setupUi(this);
    DialogFrame::Apply(this);
    connect(ui->Btn_Load, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_LoadClick);
    connect(ui->Btn_Save, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_SaveClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_CloseClick);
    setAcceptDrops(true);
    Saved = false;
}

TFrm_AddPhoto::~TFrm_AddPhoto() = default;

void TFrm_AddPhoto::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFrm_AddPhoto::FormShow() {
    InitPhotoTypeList();
    if (OperMode == ModeEdit) {
        ui->Ed_PhotoNote->setText(PhotoNote);
        ui->Cb_PhotoType->setCurrentIndex(ui->Cb_PhotoType->count() > 0 ? 0 : -1);
        ui->Cb_PhotoType->setEnabled(false); // an existing photo keeps its type
    } else {
        ui->Ed_PhotoNote->clear();
        ui->Cb_PhotoType->setCurrentIndex(-1);
        if (!PhotoPath.isEmpty()) {
            ui->Ed_PhotoPath->setText(PhotoPath);
            // Once the dialog is on screen, behind which the preparation runs.
            QTimer::singleShot(0, this, [this] { ChoosePhoto(PhotoPath); });
        }
    }
    ShowPreparedSizes();
}

void TFrm_AddPhoto::InitPhotoTypeList() {
    ui->Cb_PhotoType->clear();
    if (DM_Main == nullptr || DM_Main->PhotoTypeList.isEmpty()) {
        return;
    }
    ui->Cb_PhotoType->addItems(
        PhotoTypeChoice::UnusedEntries(DM_Main->PhotoTypeList, DM_Main->PhotoListView));
    if (OperMode == ModeEdit) {
        // The edited photo's own type is in use, so the walk above left it out.
        ui->Cb_PhotoType->insertItem(0, FindPhotoTypeItem());
    }
}

QString TFrm_AddPhoto::FindPhotoTypeItem() const {
    return PhotoTypeChoice::FindItem(DM_Main->PhotoTypeList, PhotoType, PhotoNote);
}

bool TFrm_AddPhoto::IsPhotoTypeUsed(const QString &code) const {
    return PhotoTypeChoice::IsUsed(DM_Main != nullptr ? DM_Main->PhotoListView : nullptr, code);
}

void TFrm_AddPhoto::Btn_LoadClick() {
    const QStringList filters{
        QStringLiteral("照片 (*.jpg *.jpeg *.heic *.heif *.png *.webp *.tif *.tiff *.bmp)"),
        QStringLiteral("JPEG Image File (*.jpg)"),
        QStringLiteral("JPEG Image File (*.jpeg)"),
        QStringLiteral("HEIC/HEIF (*.heic *.heif)"),
        QStringLiteral("PNG (*.png)"),
        QStringLiteral("WebP (*.webp)"),
        QStringLiteral("TIFF (*.tif *.tiff)"),
        QStringLiteral("BMP (*.bmp)")};
    const QString title = QStringLiteral("选择照片");
    // Adding takes several files at once (they go to the sheet); an edit changes one photo.
    const QStringList chosen = OperMode == ModeAdd
                                   ? TOpenFileDialog::GetOpenFileNames(this, title, filters)
                                   : QStringList{TOpenFileDialog::GetOpenFileName(this, title, filters)};
    if (HandOnSeveral(chosen)) {
        return;
    }
    if (!chosen.value(0).isEmpty()) {
        ChoosePhoto(chosen.value(0));
    }
}

void TFrm_AddPhoto::ChoosePhoto(const QString &path) {
    PhotoWorkflow::TPreparedPhoto photo;
    const TOperationResult result =
        TFrm_DataNetCommunication::Run(this, TPhotoSession::Notice(TPhotoSession::Step::Prepare), false,
                                       [&](TPhotoSession &session) { return session.Prepare(path, photo); });
    if (result.input != PhotoWorkflow::Input::None) {
        Refuse(result.message, ui->Btn_Load);
    } else if (!result.ok() && !result.cancelled) {
        TMessageBox::Failure(this, result.message, result.reason);
    } else {
        // Cancelled: the path is taken all the same, and saving prepares it.
        ui->Ed_PhotoPath->setText(path);
        prepared_ = result.ok() ? photo : PhotoWorkflow::TPreparedPhoto();
        preparedPath_ = result.ok() ? path : QString();
    }
    ShowPreparedSizes();
}

bool TFrm_AddPhoto::HoldsPreparedPhoto() const {
    return !preparedPath_.isEmpty() && preparedPath_ == ui->Ed_PhotoPath->text() && prepared_.hasImage();
}

void TFrm_AddPhoto::ShowPreparedSizes() {
    const bool shown = DM_Main != nullptr && HoldsPreparedPhoto();
    ui->Lb_Sizes->setText(
        shown ? PreparedSizes::SourceText(prepared_) + u'\n' +
                    PreparedSizes::SmallText(prepared_, DM_Main->ZoomWidth, DM_Main->ZoomHeight)
              : QStringLiteral("选择照片后显示"));
}

bool TFrm_AddPhoto::HandOnSeveral(const QStringList &files) {
    if (OperMode != ModeAdd || files.size() < 2) {
        return false;
    }
    SeveralPaths = files;
    reject();
    return true;
}

bool TFrm_AddPhoto::Refuse(const QString &text, QWidget *focus) {
    TMessageBox::Warning(this, text, true);
    focus->setFocus();
    return false;
}

bool TFrm_AddPhoto::CheckInput() {
    try {
        // A prepared photo is in hand: its file was checked when it was chosen and is not read again.
        const bool prepared = HoldsPreparedPhoto();
        const PhotoWorkflow::TInputProblem problem =
            PhotoWorkflow::CheckPhotoInput(prepared ? PhotoWorkflow::EditMode::Edit : editMode(OperMode),
                                           prepared ? QString() : ui->Ed_PhotoPath->text(),
                                           ui->Cb_PhotoType->currentIndex() >= 0, ui->Ed_PhotoNote->text());
        switch (problem.input) {
        case PhotoWorkflow::Input::None:
            return true;
        case PhotoWorkflow::Input::PhotoType:
            return Refuse(problem.text, ui->Cb_PhotoType);
        case PhotoWorkflow::Input::Note:
            return Refuse(problem.text, ui->Ed_PhotoNote);
        default:
            return Refuse(problem.text, ui->Btn_Load);
        }
    } catch (...) {
        return false;
    }
}

void TFrm_AddPhoto::Btn_SaveClick() {
    if (!CheckInput()) {
        return;
    }
    const QString path = ui->Ed_PhotoPath->text();
    const QString note = ui->Ed_PhotoNote->text();
    const QString entry = ui->Cb_PhotoType->currentText();
    const QString photoId = PhotoId;
    const bool add = OperMode == ModeAdd;
    // The photo as prepared when it was chosen; a path that came some other way is prepared now.
    const bool prepared = HoldsPreparedPhoto();
    using Step = TPhotoSession::Step;
    const QString notice = TPhotoSession::Notice(!path.trimmed().isEmpty() && !prepared ? Step::Prepare
                                                 : add                                  ? Step::Insert
                                                                                        : Step::Update);
    // The prepared photo outlives the send, so that it can be kept when the service is out of reach.
    PhotoWorkflow::TPreparedPhoto photo = prepared ? prepared_ : PhotoWorkflow::TPreparedPhoto();
    const TOperationResult result = TFrm_DataNetCommunication::Run(
        parentWidget() != nullptr ? parentWidget() : this, notice, true, [&](TPhotoSession &session) {
            if (!prepared && !path.trimmed().isEmpty()) {
                if (TOperationResult r = session.Prepare(path, photo); !r.ok()) {
                    return r;
                }
            }
            return add ? session.AddPrepared(photo, entry, note) : session.EditPrepared(photoId, note, photo);
        });
    switch (result.input) {
    case PhotoWorkflow::Input::None:
        break;
    case PhotoWorkflow::Input::PhotoType:
        Refuse(result.message, ui->Cb_PhotoType);
        return;
    case PhotoWorkflow::Input::Note:
        Refuse(result.message, ui->Ed_PhotoNote);
        return;
    default:
        Refuse(result.message, ui->Btn_Load);
        return;
    }
    if (!result.ok()) {
        if (result.unreachable) {
            TOutboxEntry work{{},
                              DM_Main->CompanyId,
                              add ? TOutboxEntry::Kind::Add : TOutboxEntry::Kind::Edit,
                              photoId,
                              entry,
                              note,
                              {},
                              {},
                              photo};
            if (OutboxOffer::OfferToKeep(this, result, std::move(work))) {
                reject();
            }
        } else if (!result.cancelled) { // the runner told the user of a cancel
            TMessageBox::Failure(this, result.message, result.reason);
        }
        return;
    }
    Saved = true;
    ImageSaved = result.imageSent;
    PhotoId = result.photoId;
    PhotoType = PhotoTypeChoice::CodeOf(entry.trimmed());
    PhotoNote = note.trimmed();
    TMessageBox::Information(this, result.message);
    accept();
}

void TFrm_AddPhoto::Btn_CloseClick() {
    reject();
}
