#pragma once
// Request headers as the client builds them for each kind of operation, and small record helpers for
// the photo service tests.

#include "contract/PictureService.h"
#include "core/StrOper.h"

#include <QBuffer>
#include <QImage>

namespace ServiceHeaders {

inline Header make(const QString &customer, const QString &software, const QString &device,
                   const QString &companyType) {
    Header h;
    h.F_CUSTOMERID = TStrOper::EncodeHeaderStr(customer);
    h.F_SOFTWAREID = TStrOper::EncodeHeaderStr(software);
    h.F_DEVICECODE = TStrOper::EncodeHeaderStr(device);
    h.F_COMPANYTYPE = TStrOper::EncodeBase64(companyType);
    h.F_VERSIONNUM = TStrOper::EncodeBase64(QStringLiteral("2.0.0.0"));
    return h;
}

inline Header login(const QString &user, const QString &password) {
    return make(user, password, {}, {});
}

// The company-query form: the typed ID and two parts of it.
inline Header query(const QString &companyId) {
    return make(companyId, companyId.mid(3, 10), {}, companyId.left(3));
}

// The photo-operation form: the identifiers the company query returned, sent back unchanged.
inline Header photos(const TCompanyInfo &company) {
    return make(company.F_CUSTOMERID, company.F_SOFTWAREID, company.F_DEVICEID, company.F_COMPANYTYPE);
}

inline QByteArray jpeg(int width, int height, Qt::GlobalColor colour = Qt::darkGreen) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// A photo record as the editor fills it for an insert.
inline TPictureInfo newPhoto(const TCompanyInfo &company, const QString &typeCode, const QString &note) {
    TPictureInfo info;
    info.F_COMPANYID = TStrOper::EncodeBase64(company.F_CUSTOMERID);
    info.F_PHOTO = jpeg(320, 240);
    info.F_SMALLPHOTO = jpeg(160, 120);
    info.F_BUSFLAG = TStrOper::EncodeBase64(company.F_COMPANYTYPE);
    info.F_FLAG = TStrOper::EncodeBase64(typeCode);
    info.F_MEMO = TStrOper::EncodeBase64(note);
    return info;
}

} // namespace ServiceHeaders
