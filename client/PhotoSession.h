#pragma once
// The client's whole operations, below both front ends: log in, query a company with its photo list,
// refresh the list, fetch a photo into the cache, add, edit and delete a photo. Each runs its steps in
// one order for the windows and uploadpic-cli alike, chooses the request's identity itself, and
// returns one result: the named code, the message the user is told, the reason a person can act on,
// and the data. The state it works on (company, limits, types, rows) is the data module's. Nothing
// here shows anything.

#include "PhotoWorkflow.h"

#include <QString>

#include <functional>
#include <memory>

class TDM_Main;
class TUploadPicture;
class TransferControl;

struct TOperationResult {
    // "1110" on success; the service's code; "1111" when no answer was read or a step of ours failed.
    QString code;
    // What the user is told, in the system's words ("查询企业信息失败", "保存照片成功", ...).
    QString message;
    // Why it failed, for a person to act on; empty on success.
    QString reason;
    bool cancelled = false;
    // No answer was read because the service could not be reached or the transfer was cut: the
    // outcome is unknown, and the work is worth keeping to send later.
    bool unreachable = false;
    // An input refused before anything was sent (message says which and why).
    PhotoWorkflow::Input input = PhotoWorkflow::Input::None;
    // Something that went wrong after the operation succeeded (e.g. the photo is saved, but its cache
    // file could not be written).
    QString warning;

    // Data.
    int loginMessage = 0;      // Login: WM_LOGIN_SUCCESS .. WM_LOGIN_BADHEADER
    bool companyFound = false; // Query: the company query succeeded, even when its list did not
    QString photoId;           // Add: the new photo's ID
    QString file;              // Fetch: the cache file written
    bool imageSent = false;    // Add, Edit: a new image was sent (and filed in the cache)

    bool ok() const;
    // An input refused before anything was sent: message and reason both say why.
    static TOperationResult Refused(PhotoWorkflow::Input input, const QString &why);
};

class TPhotoSession {
public:
    // Builds the service client of one call (after the session has set the request's identity);
    // empty means the configured service.
    using ClientFactory = std::function<std::unique_ptr<TUploadPicture>()>;

    // Which identity a refresh or a delete sends: the company's (photo operations), or the one the last
    // command left (after a company query, the query's).
    enum class Identity { Photo, Kept };

    // The steps a user is told of while an operation runs, and the notice of each.
    enum class Step { Query, List, Fetch, Prepare, Insert, Update, Delete };
    static QString Notice(Step step);

    explicit TPhotoSession(TDM_Main &dm);
    ~TPhotoSession();
    TPhotoSession(const TPhotoSession &) = delete;
    TPhotoSession &operator=(const TPhotoSession &) = delete;

    void SetClientFactory(ClientFactory factory);
    // Progress, stage notices and cancel for the operations that follow; null for none.
    void SetControl(std::shared_ptr<TransferControl> control);
    const std::shared_ptr<TransferControl> &Control() const { return control_; }

    // The login check with the trimmed user name and password. Safe on another thread while nothing
    // else uses the data module.
    TOperationResult Login(const QString &user, const QString &password);
    // The company query of the typed ID, then its photo list with the query's identity. A refused ID
    // is answered at once, without asking the server (the next request is a company query all the
    // same). A failed query forgets the company worked on before; a cancelled one keeps it (and the
    // identity it used).
    TOperationResult Query(const QString &typedId);
    // The company query alone (Query's first step).
    TOperationResult QueryCompany(const QString &typedId);
    TOperationResult Refresh(Identity identity);
    // Downloads a version (PhotoFlag::kSmall or kSource) of a listed photo into the cache and marks its
    // row; sends the identity the last command left.
    TOperationResult Fetch(const QString &photoId, const QString &flag);
    // Checks the inputs, prepares the file to the company's limits, sends the record and, once the
    // service has it, files both versions in the cache under the new photo's ID. typeEntry is one of
    // the company's unused type entries ("05 门头照片"). Prepare, then AddPrepared.
    TOperationResult Add(const QString &file, const QString &typeEntry, const QString &note);
    // The same for a listed photo: a new note and, when file is not empty, a new image; its type stays.
    TOperationResult Edit(const QString &photoId, const QString &note, const QString &file);
    // Prepares a chosen file to the company's limits on a thread of its own, as an add would, and
    // sends nothing: the checks of the file, then the preparation. On success photo holds both
    // versions and their sizes (a look before sending, several photos, work kept to send later).
    TOperationResult Prepare(const QString &file, PhotoWorkflow::TPreparedPhoto &photo);
    // Sends a photo prepared before as a new photo of the type: the limit, type and note checks, the
    // record, the send, the new ID, the filing in the cache.
    TOperationResult AddPrepared(const PhotoWorkflow::TPreparedPhoto &photo, const QString &typeEntry,
                                 const QString &note);
    // The same for a listed photo; photo may hold no image (only the note changes).
    TOperationResult EditPrepared(const QString &photoId, const QString &note,
                                  const PhotoWorkflow::TPreparedPhoto &photo);
    TOperationResult Delete(const QString &photoId, Identity identity);

private:
    std::unique_ptr<TUploadPicture> client() const;
    void stage(const QString &notice) const;
    bool cancelled() const;
    // The refusal of an add before anything is prepared or sent, or a result with no code when none;
    // file null: the photo is prepared already.
    TOperationResult checkAdd(const QString &typeEntry, const QString &note, const QString *file) const;
    TOperationResult send(PhotoWorkflow::EditMode mode, const QString &photoId,
                          const PhotoWorkflow::TPreparedPhoto &photo, const QString &typeEntry,
                          const QString &typeCode, const QString &note);

    TDM_Main &dm_;
    ClientFactory factory_;
    std::shared_ptr<TransferControl> control_;
};
