#pragma once
// The client of the photo service. An instance addresses the configured server, holds the request
// header built from the data module when it is created, and offers one method per operation. Every
// method turns the answer's result code into success or a run log line and lets no exception out.
// The members live in UploadPictureLib.cpp (login, company query) and UploadPicturePhotos.cpp (the
// photo operations with the photo cache and the list rows).

#include "LoginMessages.h"
#include "contract/PictureService.h"

#include <QString>

#include <memory>

class CacheFileStage;
class TDM_Main;
class TransferControl;

// How the last call of an instance ended: its result code ("1110" on success, "1111" when no answer
// was read), whether the user cancelled it, and why it failed (FailureReason), empty on success.
struct TCallOutcome {
    QString code;
    QString reason;
    bool cancelled = false;
    bool unreachable = false; // no answer: the service could not be reached (FailureReason::IsUnreachable)
};

// What a photo fetch left in the photo cache.
struct TCacheWrite {
    QString file;  // the cache file written whole; empty when none was
    QString error; // why none was written after a successful answer
};

class TUploadPicture {
public:
    // Endpoint and header from DM_Main.
    TUploadPicture();
    // Over a given service (tests); the header still comes from DM_Main.
    explicit TUploadPicture(std::unique_ptr<MORA_PictureServiceSoap> service);
    ~TUploadPicture();
    TUploadPicture(const TUploadPicture &) = delete;
    TUploadPicture &operator=(const TUploadPicture &) = delete;

    // "http://" (or "https://" when the configuration says so) + trimmed address + (":" + trimmed port unless
    // empty) + "/PictureService.asmx".
    static QString EndpointUrl(const TDM_Main &dm);

    // Lets the user follow and cancel the calls of this instance. A cancelled call logs that it was
    // cancelled, leaves Code at "1111" and carries out none of its success steps.
    void SetTransferControl(std::shared_ptr<TransferControl> control);

    // Photo operations: Code is "1110" on success, the server's code otherwise, "1111" when no answer
    // was read.
    void Func_GetCompanyPhotoList(QString &Code);
    // PhotoFlag "0" for the small, "1" for the source version; marks the list's row of the photo,
    // even when the cache file could not be written (the returned record says whether it was).
    TCacheWrite Func_GetCompanyPhoto(const QString &PhotoId, const QString &PhotoFlag, QString &Code);
    void Func_InsertCompanyPhoto(const TPictureInfo &PicInfo, QString &Code);
    void Func_UpdateCompanyPhoto(const TPictureInfo &PicInfo, QString &Code);
    void Func_DeleteCompanyPhoto(const QString &PhotoId, QString &Code);

    // WM_LOGIN_SUCCESS, WM_LOGIN_FAILED, WM_LOGIN_DENIED or WM_LOGIN_BADHEADER.
    int Func_ValidateUserLogin();
    // On success the answer becomes DM_Main's CurrentCompany.
    void Func_QueryCompanyInfo(QString &Code);

    // The success steps of the photo list: the rows of DM_Main->PhotoListView with the cache
    // state of each photo, and DM_Main->PhotoTypeList.
    // A small version is filed (from the stage, if given, else from the record) only when it is a
    // JPEG, and its row says cached only when its file is whole on the disk.
    void FillPhotoList(const ArrayOfTPictureInfo &list, CacheFileStage *stage = nullptr);
    void FillFlagList(const ArrayOfString &list);

    // How the last call ended, with the reason a person can act on.
    const TCallOutcome &Outcome() const { return FOutcome; }

private:
    TCallOutcome FOutcome;
    std::shared_ptr<TransferControl> FControl;
    std::unique_ptr<MORA_PictureServiceSoap> FService;
    Header FHeader;
};
