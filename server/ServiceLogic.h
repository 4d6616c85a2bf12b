#pragma once
// What the photo service does for each of its seven operations, on records rather than messages, so
// that it can be tested without HTTP or SOAP. Each answer carries its result code in F_OPERRESULT and
// a short reason for the request log when the request was refused. The members live in
// AccountOperations.cpp (login, company query), PhotoQueries.cpp (list, fetch) and PhotoChanges.cpp
// (insert, update, delete).

#include "PhotoDatabase.h"
#include "contract/PictureService.h"

#include <QDateTime>

#include <functional>

template <typename Record> struct Answer {
    Record record;
    QString detail;    // empty on success
    QString createdId; // the photo ID an insert gave the new photo, for the log
};

class PhotoListCache;

// A photo list whose entries are already written (Soap::WritePictureEntries): record.F_PICLIST stays
// empty, `entries` holds them.
struct WrittenList {
    Answer<TPicResultInfo> answer;
    QByteArray entries;
};

class ServiceLogic {
public:
    using Clock = std::function<QDateTime()>;

    // `db` must outlive the logic, and `lists` (if given) too; `clock` gives the local time that dates
    // new photos.
    explicit ServiceLogic(PhotoDatabase &db, Clock clock = &QDateTime::currentDateTime,
                          PhotoListCache *lists = nullptr);

    Answer<TUserInfo> ValidateUserLogin(const Header &header);
    Answer<TCompanyInfo> QueryCompanyInfo(const Header &header);

    Answer<TPicResultInfo> GetCompanyPhotoList(const Header &header);
    // The same list with its entries written, taken from the list cache while it holds.
    WrittenList GetWrittenPhotoList(const Header &header);
    Answer<TPicResultInfo> GetCompanyPhoto(const Header &header, const QString &aPhotoId,
                                           const QString &aFlag);
    Answer<TPicResultInfo> InsertCompanyPhoto(const Header &header, const TPictureInfo &aPicInfo);
    Answer<TPicResultInfo> UpdateCompanyPhoto(const Header &header, const TPictureInfo &aPicInfo);
    Answer<TPicResultInfo> DeleteCompanyPhoto(const Header &header, const QString &aPhotoId);

    PhotoDatabase &database() { return db_; }

private:
    PhotoDatabase &db_;
    Clock clock_;
    PhotoListCache *lists_;
};
