// Insert, update and delete of one photo.
#include "CompanyResolver.h"
#include "LogicSupport.h"
#include "WireText.h"
#include "contract/JpegSignature.h"
#include "contract/PhotoId.h"

#include <algorithm>

using LogicSupport::picResult;

namespace {

// The text fields of an insert or update, read and checked against the company.
struct PhotoFields {
    QString typeCode;
    QString note;
};

std::optional<PhotoFields> readFields(const TPictureInfo &info, const CompanyRecord &company, QString &why) {
    const auto typeCode = WireText::ReadBase64Text(info.F_FLAG);
    const auto note = WireText::ReadBase64Text(info.F_MEMO);
    const auto customerId = WireText::ReadBase64Text(info.F_COMPANYID);
    if (!typeCode || !note || !customerId) {
        why = QStringLiteral("unreadable photo fields");
        return std::nullopt;
    }
    // The record names its company too; it must be the one the header names.
    if (!customerId->isEmpty() && *customerId != company.customerId) {
        why = QStringLiteral("photo record names another company");
        return std::nullopt;
    }
    return PhotoFields{*typeCode, *note};
}

bool isTypeOf(const QList<PhotoTypeRecord> &types, const QString &code) {
    return std::any_of(types.begin(), types.end(), [&](const PhotoTypeRecord &t) { return t.code == code; });
}

} // namespace

Answer<TPicResultInfo> ServiceLogic::InsertCompanyPhoto(const Header &header, const TPictureInfo &aPicInfo) {
    const ResolvedCompany resolved = ResolveCompanyWithTypes(db_, header);
    if (!resolved.company) {
        return picResult(resolved.code, resolved.detail);
    }
    const CompanyRecord &company = *resolved.company;
    const auto &types = resolved.types;
    QString why;
    const auto fields = readFields(aPicInfo, company, why);
    if (!fields) {
        return picResult(ResultCode::kBadData, why);
    }
    if (!isTypeOf(*types, fields->typeCode)) {
        return picResult(ResultCode::kBadData, QStringLiteral("unknown photo type"));
    }
    if (!HasJpegSignature(aPicInfo.F_PHOTO) || !HasJpegSignature(aPicInfo.F_SMALLPHOTO)) {
        return picResult(ResultCode::kBadData, QStringLiteral("both images must be JPEG"));
    }
    const QDateTime now = clock_();
    PhotoRecord photo;
    photo.photoId = PhotoId::ForNewPhoto(company.customerId, now.date(), fields->typeCode);
    photo.companyId = company.companyId;
    photo.typeCode = fields->typeCode;
    photo.note = fields->note;
    photo.source = aPicInfo.F_PHOTO;
    photo.small = aPicInfo.F_SMALLPHOTO;
    photo.inputTime = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    switch (db_.insertPhoto(photo, company.photoLimit)) {
    case InsertOutcome::LimitReached:
        return picResult(ResultCode::kCompanyCheckFailed, QStringLiteral("photo limit reached"));
    case InsertOutcome::Duplicate:
        return picResult(ResultCode::kCompanyCheckFailed,
                         QStringLiteral("photo ID %1 exists already").arg(photo.photoId));
    case InsertOutcome::Inserted:
        break;
    }
    Answer<TPicResultInfo> inserted = picResult(ResultCode::kSuccess);
    inserted.createdId = photo.photoId;
    return inserted;
}

Answer<TPicResultInfo> ServiceLogic::UpdateCompanyPhoto(const Header &header, const TPictureInfo &aPicInfo) {
    const ResolvedCompany resolved = ResolveCompanyWithTypes(db_, header);
    if (!resolved.company) {
        return picResult(resolved.code, resolved.detail);
    }
    const CompanyRecord &company = *resolved.company;
    const auto &types = resolved.types;
    QString why;
    const auto fields = readFields(aPicInfo, company, why);
    if (!fields) {
        return picResult(ResultCode::kBadData, why);
    }
    // The ID travels as plain text here, unlike in a fetch.
    const QString photoId = aPicInfo.F_ID.trimmed();
    if (photoId.isEmpty()) {
        return picResult(ResultCode::kPhotoInfoEmpty, QStringLiteral("empty photo ID"));
    }
    auto photo = db_.photo(company.companyId, photoId);
    if (!photo) {
        return picResult(ResultCode::kPhotoNotFound, QStringLiteral("no such photo"));
    }
    // An empty type keeps the photo's type; a given one must be of the company's trade.
    if (!fields->typeCode.isEmpty()) {
        if (!isTypeOf(*types, fields->typeCode)) {
            return picResult(ResultCode::kBadData, QStringLiteral("unknown photo type"));
        }
        photo->typeCode = fields->typeCode;
    }
    photo->note = fields->note;
    // Both images or neither: an update that keeps the image sends both empty.
    const bool hasSource = !aPicInfo.F_PHOTO.isEmpty();
    const bool hasSmall = !aPicInfo.F_SMALLPHOTO.isEmpty();
    if (hasSource != hasSmall) {
        return picResult(ResultCode::kBadData, QStringLiteral("only one of the two images given"));
    }
    if (hasSource) {
        if (!HasJpegSignature(aPicInfo.F_PHOTO) || !HasJpegSignature(aPicInfo.F_SMALLPHOTO)) {
            return picResult(ResultCode::kBadData, QStringLiteral("both images must be JPEG"));
        }
        photo->source = aPicInfo.F_PHOTO;
        photo->small = aPicInfo.F_SMALLPHOTO;
    }
    if (!db_.updatePhoto(*photo, hasSource)) {
        return picResult(ResultCode::kPhotoNotFound, QStringLiteral("photo vanished"));
    }
    return picResult(ResultCode::kSuccess);
}

Answer<TPicResultInfo> ServiceLogic::DeleteCompanyPhoto(const Header &header, const QString &aPhotoId) {
    const ResolvedCompany resolved = ResolveCompany(db_, header);
    if (!resolved.company) {
        return picResult(resolved.code, resolved.detail);
    }
    // Plain text, not Base64: the client sends the ID of a delete as it is.
    const QString photoId = aPhotoId.trimmed();
    if (photoId.isEmpty()) {
        return picResult(ResultCode::kPhotoInfoEmpty, QStringLiteral("empty photo ID"));
    }
    if (!db_.deletePhoto(resolved.company->companyId, photoId)) {
        return picResult(ResultCode::kPhotoNotFound, QStringLiteral("no such photo"));
    }
    return picResult(ResultCode::kSuccess);
}
