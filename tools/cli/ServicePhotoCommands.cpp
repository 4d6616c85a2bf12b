// uploadpic-cli fetch, add and edit: downloading a photo into the cache, and sending a photo prepared
// as the photo editor prepares it.

#include "ServiceSession.h"

#include "core/StrOper.h"
#include "imaging/ImgOper.h"
#include "service/PhotoCache.h"
#include "service/UploadPictureLib.h"

#include <QDate>

namespace cli {
namespace {

struct PreparedPhoto {
    QByteArray source;
    QByteArray small;
};

// Shrinks a large file, then reduces it to the company's size limits; the bytes of both versions.
PreparedPhoto preparePhoto(const QString &file, const TDM_Main &dm) {
    QString sourceFile;
    TImgOper::ZipImage(file, sourceFile);
    QString smallFile;
    TImgOper::ZipImageSize(sourceFile, dm.ZoomWidth, dm.ZoomHeight, smallFile);
    return {TImgOper::ImgPathToByte(sourceFile), TImgOper::ImgPathToByte(smallFile)};
}

// The saved photo's versions go into the cache, as the photo editor puts them there.
void cachePhoto(const QString &photoId, const PreparedPhoto &photo) {
    if (!PhotoCache::IsPlainFileName(photoId)) {
        PhotoCache::LogUnsafePhotoId(photoId);
        return;
    }
    const QString folder = PhotoCache::Folder();
    TImgOper::SaveImgInfo(PhotoCache::SourceFile(folder, photoId), photo.source);
    TImgOper::SaveImgInfo(PhotoCache::SmallFile(folder, photoId), photo.small);
}

// The fields of a photo record that come from the current company and the user's input.
TPictureInfo photoRecord(const TDM_Main &dm, const QString &typeCode, const QString &note) {
    TPictureInfo info;
    info.F_COMPANYID = TStrOper::EncodeBase64(dm.CurrentCompany->CustomerId);
    info.F_BUSFLAG = TStrOper::EncodeBase64(dm.CurrentCompany->CompanyType);
    info.F_FLAG = TStrOper::EncodeBase64(typeCode);
    info.F_MEMO = TStrOper::EncodeBase64(note);
    return info;
}

QString requiredNote(const QString &command, const QString &note) {
    if (note.trimmed().isEmpty()) {
        throw UsageError(command + QStringLiteral(": NOTE must not be empty"));
    }
    return note.trimmed();
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
            QStringLiteral("Download one version of a listed photo into the photo cache and print "
                           "the cache file."),
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
    if (code != u"1110") {
        return failed(code);
    }
    TPhotoListModel &rows = session->rows();
    const int row = rows.findRow(photoId);
    if (row < 0) {
        Err(QStringLiteral("fetch: photo '%1' is not in the list of company %2").arg(photoId, positional[0]));
        return 1;
    }
    rows.setSelectedRow(row);
    session->dm().OperationKind = 2;
    TUploadPicture().Func_GetCompanyPhoto(
        photoId, positional[2] == u"small" ? QStringLiteral("0") : QStringLiteral("1"), code);
    if (code != u"1110") {
        return failed(code);
    }
    const QString state = rows.subItem(row, TPhotoListModel::StateColumn);
    const QString folder = PhotoCache::Folder();
    if (state == u"1") {
        Out(PhotoCache::SmallFile(folder, photoId));
    } else if (state == u"2") {
        Out(PhotoCache::SourceFile(folder, photoId));
    }
    return 0;
}

int RunAdd(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The JPEG photo."));
    parser.addPositionalArgument(QStringLiteral("TYPECODE"), QStringLiteral("Photo type code, e.g. 05."));
    parser.addPositionalArgument(QStringLiteral("NOTE"), QStringLiteral("The photo's note."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("add"),
            QStringLiteral(
                "Add a photo to a company: prepare it as the photo editor does, send it and print the\n"
                "new photo ID (\"W\" + customer ID + today's date yyyyMMdd + type code)."),
            args, 4, 4, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString note = requiredNote(QStringLiteral("add"), positional[3]);
    QString code = session->queryAndList(positional[0]);
    if (code != u"1110") {
        return failed(code);
    }
    TDM_Main &dm = session->dm();
    const PreparedPhoto photo = preparePhoto(positional[1], dm);
    if (photo.source.isEmpty() || photo.small.isEmpty()) {
        Err(QStringLiteral("add: cannot read the photo '%1'").arg(positional[1]));
        return 1;
    }
    const QString &typeCode = positional[2];
    TPictureInfo info = photoRecord(dm, typeCode, note);
    info.F_PHOTO = photo.source;
    info.F_SMALLPHOTO = photo.small;
    dm.OperationKind = 2;
    TUploadPicture().Func_InsertCompanyPhoto(info, code);
    if (code != u"1110") {
        return failed(code);
    }
    const QString photoId = QStringLiteral("W") + dm.CurrentCompany->CustomerId +
                            QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + typeCode;
    cachePhoto(photoId, photo);
    Out(photoId);
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
            QStringLiteral("Change a listed photo's note and, with --file, its image (prepared as "
                           "the photo editor does). Its type stays."),
            args, 3, 3, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString &photoId = positional[1];
    const QString note = requiredNote(QStringLiteral("edit"), positional[2]);
    QString code = session->queryAndList(positional[0]);
    if (code != u"1110") {
        return failed(code);
    }
    const int row = session->rows().findRow(photoId);
    if (row < 0) {
        Err(QStringLiteral("edit: photo '%1' is not in the list of company %2").arg(photoId, positional[0]));
        return 1;
    }
    TDM_Main &dm = session->dm();
    TPictureInfo info = photoRecord(dm, session->rows().subItem(row, TPhotoListModel::TypeCodeColumn), note);
    info.F_ID = photoId;
    PreparedPhoto photo;
    if (parser.isSet(file)) {
        photo = preparePhoto(parser.value(file), dm);
        if (photo.source.isEmpty() || photo.small.isEmpty()) {
            Err(QStringLiteral("edit: cannot read the photo '%1'").arg(parser.value(file)));
            return 1;
        }
        info.F_PHOTO = photo.source;
        info.F_SMALLPHOTO = photo.small;
    }
    dm.OperationKind = 2;
    TUploadPicture().Func_UpdateCompanyPhoto(info, code);
    if (code != u"1110") {
        return failed(code);
    }
    if (parser.isSet(file)) {
        cachePhoto(photoId, photo);
    }
    return 0;
}

} // namespace cli
