// uploadpic-cli add: one photo or several for a company, each prepared as the photo editor prepares
// it and sent in turn; with --keep, a photo the service could not be reached for goes to the outbox.

#include "ServiceSession.h"

#include "client/Outbox.h"
#include "client/PhotoTypeChoice.h"
#include "contract/ResultCodes.h"

#include <QJsonObject>

#include <climits>
#include <vector>

namespace cli {

namespace {

struct Photo {
    QString file;
    QString code;
    QString note;
    QString entry; // the company's unused type entry of code
    PhotoWorkflow::TPreparedPhoto prepared;
};

// The type entries of the photos: each code an unused type of the company, and no code twice.
TOperationResult chooseTypes(const TDM_Main &dm, std::vector<Photo> &photos) {
    QStringList chosen;
    for (Photo &photo : photos) {
        photo.entry = PhotoTypeChoice::UnusedEntryWithCode(dm.PhotoTypeList, dm.PhotoListView, photo.code);
        if (photo.entry.isEmpty() || chosen.contains(photo.entry)) {
            return TOperationResult::Refused(
                PhotoWorkflow::Input::PhotoType,
                QStringLiteral("照片类型 %1 不可用: 该企业没有此类型、已有此类型的照片或重复选择")
                    .arg(photo.code));
        }
        chosen.append(photo.entry);
    }
    return {};
}

// Keeps a photo that could not be sent in the outbox; the entry's ID, empty (and said) on failure.
QString keep(const QString &companyId, const Photo &photo, const TOperationResult &result) {
    TOutboxEntry entry;
    entry.companyId = companyId;
    entry.kind = TOutboxEntry::Kind::Add;
    entry.typeEntry = photo.entry;
    entry.note = photo.note;
    entry.reason = result.reason.isEmpty() ? result.message : result.reason;
    entry.photo = photo.prepared;
    try {
        return TOutbox().Keep(entry);
    } catch (const std::exception &e) {
        Err(QStringLiteral("uploadpic-cli: ") + QString::fromUtf8(e.what()));
        return {};
    }
}

} // namespace

int RunAdd(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    const QCommandLineOption keepOption(
        QStringLiteral("keep"),
        QStringLiteral("Keep a photo the service cannot be reached for in the outbox."));
    parser.addOption(keepOption);
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The photo: JPEG, HEIC/HEIF, PNG, WebP, TIFF or BMP."));
    parser.addPositionalArgument(QStringLiteral("TYPECODE"),
                                 QStringLiteral("Photo type code, e.g. 05: a type no listed photo has."));
    parser.addPositionalArgument(QStringLiteral("NOTE"), QStringLiteral("The photo's note."));
    parser.addPositionalArgument(QStringLiteral("[FILE TYPECODE NOTE]..."),
                                 QStringLiteral("More photos for the same company."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("add"),
            QStringLiteral(
                "Add photos to a company: prepare each as the photo editor does, send them one after\n"
                "another and print each new photo ID (\"W\" + customer ID + today's date yyyyMMdd +\n"
                "type code). Several photos are given as more FILE TYPECODE NOTE groups, each with a\n"
                "type of its own; each is then reported on a line of its own:\n"
                "  FILE<TAB>TYPECODE<TAB>sent|failed|kept<TAB>PHOTOID, reason or outbox entry\n"
                "Inputs the photo editor refuses (no readable photo, a type in use or given twice, a\n"
                "note the service cannot store) exit 2, more photos than the company's limit leaves\n"
                "room for exit 1, before any photo is sent. With --keep, a photo that fails because the\n"
                "service cannot be reached (no answer, refused, cut) is kept in the outbox with the\n"
                "prepared versions, to be sent later with 'uploadpic-cli outbox send'."),
            args, 4, INT_MAX, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    if ((positional.size() - 1) % 3 != 0) {
        throw UsageError(
            QStringLiteral("add: each photo needs FILE TYPECODE NOTE; see 'uploadpic-cli add --help'"));
    }
    const QString companyId = positional[0];
    std::vector<Photo> photos;
    for (qsizetype i = 1; i < positional.size(); i += 3) {
        photos.push_back({positional[i], positional[i + 1], positional[i + 2], {}, {}});
    }
    TOperationResult result = session->operations().Query(companyId);
    if (!result.ok()) {
        return Finish(result);
    }
    // Every input is checked, and every photo prepared, before the first is sent.
    const TDM_Main &dm = session->dm();
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(dm, int(photos.size()));
        !refusal.isEmpty()) {
        return Finish(TOperationResult::Refused(PhotoWorkflow::Input::None, refusal));
    }
    if (result = chooseTypes(dm, photos); result.input != PhotoWorkflow::Input::None) {
        return Finish(result);
    }
    for (const Photo &photo : photos) {
        if (const auto problem = PhotoWorkflow::CheckPhotoDetails(true, photo.note)) {
            return Finish(TOperationResult::Refused(problem.input, problem.text));
        }
    }
    for (Photo &photo : photos) {
        result = session->operations().Prepare(photo.file, photo.prepared);
        if (!result.ok()) {
            return Finish(result);
        }
    }
    const bool several = photos.size() > 1;
    const bool keepUnsent = parser.isSet(keepOption);
    TOperationResult firstFailure;
    for (const Photo &photo : photos) {
        result = session->operations().AddPrepared(photo.prepared, photo.entry, photo.note);
        QJsonObject item{{QStringLiteral("file"), photo.file},
                         {QStringLiteral("type"), photo.code},
                         {QStringLiteral("code"), result.code},
                         {QStringLiteral("message"), result.message}};
        QString state = QStringLiteral("sent");
        QString detail = result.photoId;
        if (result.ok()) {
            item.insert(QStringLiteral("photoId"), result.photoId);
        } else {
            item.insert(QStringLiteral("reason"), result.reason);
            state = QStringLiteral("failed");
            detail = result.reason.isEmpty() ? result.message : result.reason;
            if (keepUnsent && result.unreachable) {
                const QString kept = keep(companyId, photo, result);
                if (!kept.isEmpty()) {
                    item.insert(QStringLiteral("outbox"), kept);
                    state = QStringLiteral("kept");
                    detail = kept;
                    if (!several) {
                        Err(QStringLiteral("uploadpic-cli: kept in the outbox as %1").arg(kept));
                    }
                }
            }
            if (firstFailure.code.isEmpty()) {
                firstFailure = result;
            }
        }
        item.insert(QStringLiteral("state"), state);
        if (several) {
            Item(QStringLiteral("photos"), item,
                 QStringList{photo.file, photo.code, state, detail}.join(u'\t'));
        } else if (result.ok()) {
            Value(QStringLiteral("photoId"), result.photoId);
        } else if (state == u"kept") {
            Field(QStringLiteral("outbox"), detail);
        }
    }
    return Finish(firstFailure.code.isEmpty() ? result : firstFailure);
}

} // namespace cli
