// uploadpic-cli fetch, add and edit: downloading a photo into the cache, and sending a photo prepared
// as the photo editor prepares it. Every rule comes from the workflow the windows use.

#include "ServiceSession.h"

#include "client/PhotoTypeChoice.h"
#include "client/PhotoWorkflow.h"
#include "contract/ResultCodes.h"
#include "client/UploadPictureLib.h"

#include <QDate>

namespace cli {
namespace {

// Refuses, before anything is sent, the inputs the photo editor would refuse: the file (when given),
// and the note. The type is checked once the list is known.
void checkLocalInput(const QString &command, PhotoWorkflow::EditMode mode, const QString &file,
                     const QString &note) {
    if (const PhotoWorkflow::TInputProblem problem = PhotoWorkflow::CheckPhotoInput(mode, file, true, note)) {
        throw UsageError(command + QStringLiteral(": ") + problem.text);
    }
}

// Prepares the chosen file with the company's limits; false (and the reason on stderr) when it gave
// no image to send.
bool preparePhoto(const QString &command, const QString &file, const TDM_Main &dm,
                  PhotoWorkflow::TPreparedPhoto &photo) {
    photo = PhotoWorkflow::PreparePhoto(file, dm.ZoomWidth, dm.ZoomHeight);
    if (!photo.hasImage()) {
        Err(QStringLiteral("%1: cannot prepare the photo '%2': %3")
                .arg(command, file, photo.failedSteps.join(QStringLiteral("; "))));
        return false;
    }
    return true;
}

// Files a saved photo's versions in the cache as the photo editor does. The photo is saved either
// way, so a failure is a warning, not a failed command.
void filePhoto(const QString &command, const QString &photoId, const PhotoWorkflow::TPreparedPhoto &photo) {
    const QString error = PhotoWorkflow::FilePreparedPhoto(photoId, photo);
    if (!error.isEmpty()) {
        Err(QStringLiteral("%1: the photo is saved but not in the photo cache: %2").arg(command, error));
    }
}

int notInList(const QString &command, const QString &photoId, const QString &companyId) {
    Err(QStringLiteral("%1: photo '%2' is not in the list of company %3").arg(command, photoId, companyId));
    return 1;
}

} // namespace

int RunFetch(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("PHOTOID"), QStringLiteral("A photo of the company's list."));
    parser.addPositionalArgument(QStringLiteral("small|source"),
                                 QStringLiteral("Which version to download."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("fetch"),
            QStringLiteral("Download one version of a listed photo into the photo cache and print the\n"
                           "cache file. Exits 1 when the file could not be written."),
            args, 3, 3, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString &photoId = positional[1];
    if (positional[2] != u"small" && positional[2] != u"source") {
        throw UsageError(
            QStringLiteral("fetch: the version is 'small' or 'source', not '%1'").arg(positional[2]));
    }
    QString code = session->queryAndList(positional[0]);
    if (!Succeeded(code)) {
        return failed(code);
    }
    TPhotoListModel &rows = session->rows();
    const int row = rows.findRow(photoId);
    if (row < 0) {
        return notInList(QStringLiteral("fetch"), photoId, positional[0]);
    }
    rows.setSelectedRow(row);
    session->dm().OperationKind = 2;
    const TCacheWrite written = TUploadPicture().Func_GetCompanyPhoto(
        photoId, positional[2] == u"small" ? PhotoFlag::kSmall : PhotoFlag::kSource, code);
    if (!Succeeded(code)) {
        return failed(code);
    }
    if (written.file.isEmpty()) {
        Err(QStringLiteral("fetch: the photo was not written to the photo cache: ") + written.error);
        return 1;
    }
    Value(QStringLiteral("file"), written.file);
    return 0;
}

int RunAdd(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The photo: JPEG, HEIC/HEIF, PNG, WebP, TIFF or BMP."));
    parser.addPositionalArgument(QStringLiteral("TYPECODE"),
                                 QStringLiteral("Photo type code, e.g. 05: a type no listed photo has."));
    parser.addPositionalArgument(QStringLiteral("NOTE"), QStringLiteral("The photo's note."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("add"),
            QStringLiteral(
                "Add a photo to a company: prepare it as the photo editor does, send it and print the\n"
                "new photo ID (\"W\" + customer ID + today's date yyyyMMdd + type code). Inputs the\n"
                "photo editor refuses (no readable photo, a type in use, a note the service cannot\n"
                "store) exit 2 before the photo is sent."),
            args, 4, 4, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString &file = positional[1];
    const QString &note = positional[3];
    checkLocalInput(QStringLiteral("add"), PhotoWorkflow::EditMode::Add, file, note);
    QString code = session->queryAndList(positional[0]);
    if (!Succeeded(code)) {
        return failed(code);
    }
    TDM_Main &dm = session->dm();
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(dm); !refusal.isEmpty()) {
        Err(QStringLiteral("add: ") + refusal);
        return 1;
    }
    const QString entry =
        PhotoTypeChoice::UnusedEntryWithCode(dm.PhotoTypeList, dm.PhotoListView, positional[2]);
    if (const PhotoWorkflow::TInputProblem problem =
            PhotoWorkflow::CheckPhotoInput(PhotoWorkflow::EditMode::Add, file, !entry.isEmpty(), note)) {
        throw UsageError(QStringLiteral("add: ") + problem.text);
    }
    PhotoWorkflow::TPreparedPhoto photo;
    if (!preparePhoto(QStringLiteral("add"), file, dm, photo)) {
        return 1;
    }
    const TPictureInfo info = PhotoWorkflow::PhotoRecord(*dm.CurrentCompany, QString(),
                                                         PhotoTypeChoice::CodeOf(entry), note, photo);
    dm.OperationKind = 2;
    TUploadPicture().Func_InsertCompanyPhoto(info, code);
    if (!Succeeded(code)) {
        return failed(code);
    }
    const QString photoId =
        PhotoTypeChoice::NewPhotoId(dm.CurrentCompany->CustomerId, QDate::currentDate(), entry);
    filePhoto(QStringLiteral("add"), photoId, photo);
    Value(QStringLiteral("photoId"), photoId);
    return 0;
}

int RunEdit(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    const QCommandLineOption file(QStringLiteral("file"), QStringLiteral("A new image for the photo."),
                                  QStringLiteral("FILE"));
    parser.addOption(file);
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("PHOTOID"), QStringLiteral("A photo of the company's list."));
    parser.addPositionalArgument(QStringLiteral("NOTE"), QStringLiteral("The photo's new note."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("edit"),
            QStringLiteral("Change a listed photo's note and, with --file, its image (prepared as the photo\n"
                           "editor does). Its type stays. Inputs the photo editor refuses exit 2 before\n"
                           "anything is sent."),
            args, 3, 3, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString &photoId = positional[1];
    const QString &note = positional[2];
    const QString image = parser.value(file);
    if (parser.isSet(file) && image.trimmed().isEmpty()) {
        throw UsageError(QStringLiteral("edit: --file needs a file name"));
    }
    checkLocalInput(QStringLiteral("edit"), PhotoWorkflow::EditMode::Edit, image, note);
    QString code = session->queryAndList(positional[0]);
    if (!Succeeded(code)) {
        return failed(code);
    }
    const int row = session->rows().findRow(photoId);
    if (row < 0) {
        return notInList(QStringLiteral("edit"), photoId, positional[0]);
    }
    TDM_Main &dm = session->dm();
    PhotoWorkflow::TPreparedPhoto photo;
    if (!image.isEmpty() && !preparePhoto(QStringLiteral("edit"), image, dm, photo)) {
        return 1;
    }
    const TPhotoListModel &rows = session->rows();
    const QString typeCode =
        PhotoTypeChoice::KeptCode(dm.PhotoTypeList, rows.subItem(row, TPhotoListModel::TypeCodeColumn),
                                  rows.subItem(row, TPhotoListModel::NoteColumn));
    const TPictureInfo info = PhotoWorkflow::PhotoRecord(*dm.CurrentCompany, photoId, typeCode, note, photo);
    dm.OperationKind = 2;
    TUploadPicture().Func_UpdateCompanyPhoto(info, code);
    if (!Succeeded(code)) {
        return failed(code);
    }
    if (photo.hasImage()) {
        filePhoto(QStringLiteral("edit"), photoId, photo);
    }
    return 0;
}

} // namespace cli
