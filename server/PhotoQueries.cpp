// The photo list and the fetch of one photo.
#include "CompanyResolver.h"
#include "LogicSupport.h"
#include "PhotoListCache.h"
#include "WireText.h"

#include "contract/SoapCodec.h"
#include "core/StrOper.h"

using LogicSupport::picResult;

namespace {

TPictureInfo listEntry(const CompanyRecord &company, const PhotoRecord &photo) {
    TPictureInfo entry;
    entry.F_ID = TStrOper::EncodeBase64(photo.photoId);
    entry.F_COMPANYID = TStrOper::EncodeBase64(company.customerId);
    entry.F_SMALLPHOTO = photo.small;
    entry.F_BUSFLAG = TStrOper::EncodeBase64(company.companyType);
    entry.F_FLAG = TStrOper::EncodeBase64(photo.typeCode);
    entry.F_MEMO = TStrOper::EncodeBase64(photo.note);
    entry.F_INPUTTIME = photo.inputTime;
    entry.F_ISEXISTS = photo.small.isEmpty() ? QStringLiteral("0") : QStringLiteral("1");
    return entry;
}

// The list without its entries, for a company found with its photo types.
Answer<TPicResultInfo> listFrame(const ResolvedCompany &resolved) {
    const CompanyRecord &company = *resolved.company;
    Answer<TPicResultInfo> answer = picResult(ResultCode::kSuccess);
    TPicResultInfo &r = answer.record;
    r.F_MAXNUMBER = company.photoLimit;
    r.F_ZOOMWDITH = company.zoomWidth;
    r.F_ZOOMHEIGHT = company.zoomHeight;
    for (const PhotoTypeRecord &type : *resolved.types) {
        r.F_FLAGLIST.append(TStrOper::EncodeBase64(type.code + QLatin1Char(' ') + type.name));
    }
    return answer;
}

QList<TPictureInfo> listEntries(PhotoDatabase &db, const CompanyRecord &company) {
    QList<TPictureInfo> entries;
    for (const PhotoRecord &photo : db.photoList(company.companyId)) {
        entries.append(listEntry(company, photo));
    }
    return entries;
}

} // namespace

Answer<TPicResultInfo> ServiceLogic::GetCompanyPhotoList(const Header &header) {
    const ResolvedCompany resolved = ResolveCompanyWithTypes(db_, header);
    if (!resolved.company) {
        return picResult(resolved.code, resolved.detail);
    }
    Answer<TPicResultInfo> answer = listFrame(resolved);
    answer.record.F_PICLIST = listEntries(db_, *resolved.company);
    return answer;
}

WrittenList ServiceLogic::GetWrittenPhotoList(const Header &header) {
    const ResolvedCompany resolved = ResolveCompanyWithTypes(db_, header);
    if (!resolved.company) {
        return {picResult(resolved.code, resolved.detail), {}};
    }
    const CompanyRecord &company = *resolved.company;
    WrittenList list{listFrame(resolved), {}};
    // The stamp is read before the photos, so what is kept under it is never older than it says.
    std::optional<PhotoListKey> key;
    if (lists_) {
        if (std::optional<QString> stamp = db_.photoStamp(company.companyId)) {
            key = PhotoListKey{company.companyId, company.customerId, company.companyType, std::move(*stamp)};
        }
    }
    if (key) {
        if (std::optional<QByteArray> kept = lists_->find(*key)) {
            list.entries = std::move(*kept);
            return list;
        }
    }
    list.entries = Soap::WritePictureEntries(listEntries(db_, company));
    if (key) {
        lists_->store(*key, list.entries);
    }
    return list;
}

Answer<TPicResultInfo> ServiceLogic::GetCompanyPhoto(const Header &header, const QString &aPhotoId,
                                                     const QString &aFlag) {
    const ResolvedCompany resolved = ResolveCompany(db_, header);
    if (!resolved.company) {
        return picResult(resolved.code, resolved.detail);
    }
    const auto photoId = WireText::ReadBase64Text(aPhotoId);
    const auto flag = WireText::ReadBase64Text(aFlag);
    if (!photoId || !flag) {
        return picResult(ResultCode::kBadData, QStringLiteral("unreadable photo ID or flag"));
    }
    if (*flag != QLatin1String("0") && *flag != QLatin1String("1")) {
        return picResult(ResultCode::kBadData, QStringLiteral("flag is neither 0 nor 1"));
    }
    if (photoId->isEmpty()) {
        return picResult(ResultCode::kPhotoInfoEmpty, QStringLiteral("empty photo ID"));
    }
    const auto photo = db_.photo(resolved.company->companyId, *photoId);
    if (!photo) {
        return picResult(ResultCode::kPhotoNotFound, QStringLiteral("no such photo"));
    }
    const bool source = *flag == QLatin1String("1");
    const QByteArray &bytes = source ? photo->source : photo->small;
    if (bytes.isEmpty()) {
        return picResult(ResultCode::kPhotoInfoEmpty, QStringLiteral("photo version is empty"));
    }
    Answer<TPicResultInfo> answer = picResult(ResultCode::kSuccess);
    answer.record.F_PHOTO = bytes;
    answer.record.F_FLAG = source ? 1 : 0;
    return answer;
}
