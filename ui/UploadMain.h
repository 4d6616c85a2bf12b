#pragma once
// The main window: the company query, the photo list with its download states, the photo commands
// (download, add, change, delete, refresh) and the preview of the selected photo in the docked viewer.
// Before it first appears it runs the login, unless the entry ran it already (LoginDone); without a
// successful login it never shows and the program ends. Every service call runs behind the operation runner
// dialog; the rules of the photo work come from service/PhotoWorkflow.h. The members live in UploadMain.cpp
// (creation, login, status bar, buttons, exit), UploadMainCompany.cpp (company query, refresh),
// UploadMainPhotos.cpp (the list's commands, download, add, edit, delete), UploadMainPreview.cpp (preview and
// wheel), UploadMainKeys.cpp (shortcuts, tab order), UploadMainView.cpp (rows or icons) and
// UploadMainDrop.cpp (a photo dropped or pasted) and UploadMainOutbox.cpp (the photos waiting to be sent).

#include "LoadedPhoto.h"
#include "PhotoDrop.h"
#include "PreviewText.h"

#include "client/PhotoSession.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAbstractItemView;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QModelIndex;
class QToolButton;
class TFrm_ViewPhoto;
class TPhotoListColumns;
class TPhotoListModel;
class TPhotoThumbnails;

namespace Ui {
class TFrm_UploadMain;
}

class TFrm_UploadMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrm_UploadMain(QWidget *parent = nullptr);
    ~TFrm_UploadMain() override;

    // Shows the login dialog modally; true when the login succeeded.
    static bool UserLogin();
    // The login succeeded before this window was built: its first show does not ask again.
    void LoginDone() { loginDone_ = true; }

    // True once the login was refused or cancelled: the window stays hidden and the application has
    // been asked to quit.
    bool TerminateRequested() const { return terminateRequested_; }

    // The first show runs FormShow before the window appears, so the login dialog stands alone.
    void setVisible(bool visible) override;

    QString CurrentPhotoId;                  // photo of the row being shown or downloaded
    QString CurrentPhotoFile;                // cache file loaded into the preview; empty when none
    TLoadedPhoto Img_Photo;                  // the loaded photo; holding one enables the preview buttons
    TFrm_ViewPhoto *Frm_ViewPhoto = nullptr; // the preview pane, docked at the first photo shown
    TPhotoListModel *PhotoList = nullptr;    // the rows of Lv_List (DM_Main->PhotoListView)
    QMenu *PM_List = nullptr;

    // Operations of the window.
    // The company query of the typed ID with its photo list; true when the company was found.
    bool QueryCompanyInfo(const QString &typed);
    void RefreshPhotoList(TPhotoSession::Identity identity);
    // Downloads a version of the selected row's photo and shows it; false when the download failed.
    bool DownloadPhoto(const QString &flag);
    void DeletePhoto(TPhotoSession::Identity identity);
    void UpdateButtonStates();
    void ShowCompanyInfo();
    void SelectPhotoInfo(int row);
    void ShowCurrentPhoto();
    void ShowPhotoFacts(const QString &file); // empty: no photo, no facts

protected:
    void closeEvent(QCloseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    // A photo file or image dropped on the window becomes a new photo of the company shown.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormClose();
    void FormDestroy();
    void BuildStatusBar();
    void BuildContextMenu();
    void ConnectCommands();
    void BuildKeyboard();
    void BuildIconView();
    // Shows the photos as icons (true) or as rows; the other view hides.
    void ShowIconView(bool icons);
    // The view of the photo list on screen: Lv_List or Lv_Icons.
    QAbstractItemView *PhotoListView() const;

    // Runs one operation of the session behind the runner dialog and returns its result.
    TOperationResult RunOperation(const QString &notice, bool changesServer,
                                  const std::function<TOperationResult(TPhotoSession &)> &operation);
    // What a photo list (or a query with its list) left: the first row shown, or why not.
    void ShowListResult(const TOperationResult &result);
    // Opens the photo editor; true when it saved. In edit mode the row's values go in; the saved
    // note, ID and type come back either way.
    bool OpenEditor(int mode, QString &note, QString &photoId, QString &type, bool &imageSaved,
                    const QString &photoPath = QString(), QStringList *severalPaths = nullptr);
    int SelectedRow() const;
    void SelectRow(int row);
    void ClearPreview();
    // After a failed company query nothing of the previous company stays on screen or in reach.
    void ForgetCompany();

    void Btn_QueryInfoClick();
    void Ed_CompanyIdKeyDown(); // Enter in the company ID box
    void Btn_AddClick();
    // The add command with the editor's photo path filled in (empty: the user picks one).
    void AddPhoto(const QString &path);
    // Several files at once: the sheet of several photos, then the list refreshed with the new rows
    // (UploadMainDrop.cpp). One file goes to the editor.
    void AddPhotos(const QStringList &files);
    // A dropped or pasted photo: refused with a message, or handed to the add command.
    void AddPhotoFrom(const PhotoDrop::TPhotoData &data, bool pasted);
    void N_PastePhotoClick();
    void Btn_IconViewClick(bool icons);
    void Btn_EditClick();
    void Btn_DeleteClick();
    void Btn_RefPhotoClick();
    void Btn_CloseClick();
    void Lv_ListChange(int row);
    void Lv_ListClick();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void Lv_ListDblClick();
    void PM_ListPopup(const QPoint &pos);
    void N_SmallClick();
    void N_SourceClick();
    void N_RefPhotoClick();
    void N_AddPhotoClick();
    void N_EditPhotoClick();
    void N_DeletePhotoClick();

    void Btn_RightClick();
    void Btn_LeftClick();
    void Btn_ZoomOutClick();
    void Btn_ZoomInClick();
    void Btn_ZoomSourceClick();
    // Turns one wheel event over the preview into wheel commands for the viewer: one step per notch,
    // towards the user (down) or away (up), then one redraw.
    void FormMouseWheel(QWheelEvent *event);
    void FormMouseWheelDown(int notches);
    void FormMouseWheelUp(int notches);

    // The outbox (UploadMainOutbox.cpp): the count of photos waiting, sending them (ids: every entry
    // when empty) with a line per entry, and the offer after a query of a company that has some.
    void BuildOutboxButton();
    void UpdateOutboxCount();
    void Btn_OutboxClick();
    void SendOutboxEntries(const QStringList &ids);
    void OfferOutboxAfterQuery();

    std::unique_ptr<Ui::TFrm_UploadMain> ui;
    std::unique_ptr<TPhotoListModel> photoList_;
    TPhotoListColumns *listColumns_ = nullptr;
    TPhotoThumbnails *thumbnails_ = nullptr;
    QListView *Lv_Icons = nullptr;
    QToolButton *Btn_IconView = nullptr;
    QPushButton *Btn_Outbox = nullptr;
    QLineEdit *Ed_CustomerId = nullptr;
    QLineEdit *Ed_SoftWareId = nullptr;
    QLineEdit *Ed_DeviceId = nullptr;
    QLineEdit *Ed_CompanyName = nullptr;
    TWheelNotches wheelNotches_;
    bool shownOnce_ = false;
    bool loginDone_ = false;
    bool terminateRequested_ = false;
    bool closing_ = false;
    bool sendingOutbox_ = false;
    bool changingRows_ = false; // rows are being removed: selection changes show nothing yet
};
