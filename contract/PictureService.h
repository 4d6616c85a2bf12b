#pragma once
// The photo service contract: the request header, the records the seven operations take and return,
// and the operations themselves. Every element lives in the namespace "MORA.PictureService"; the SOAP
// codec writes and reads these records, the client and the reference server both speak through them.

#include <memory>

#include "PhotoSink.h"

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

class TransferControl;

inline constexpr char kServiceNamespace[] = "MORA.PictureService";

// aFlag of Func_GetCompanyPhoto (before Base64): which version of the photo to send.
namespace PhotoFlag {
inline constexpr QLatin1String kSmall{"0"};
inline constexpr QLatin1String kSource{"1"};
} // namespace PhotoFlag

using TByteDynArray = QByteArray; // image bytes, Base64 on the wire

// The SOAP header "Header": five texts in this order. The identities travel as header tokens, the
// company type and the version as plain Base64.
struct THeaderFields {
    QString F_CUSTOMERID;
    QString F_SOFTWAREID;
    QString F_DEVICECODE;
    QString F_COMPANYTYPE;
    QString F_VERSIONNUM;
};
using Header = THeaderFields;

// One photo.
struct TPictureInfo {
    QString F_ID;
    QString F_COMPANYID;
    TByteDynArray F_PHOTO;
    TByteDynArray F_SMALLPHOTO;
    QString F_BUSFLAG;
    QString F_FLAG;
    QString F_MEMO;
    QString F_INPUTTIME;
    QString F_ISEXISTS;
};

using ArrayOfTPictureInfo = QList<TPictureInfo>;
using ArrayOfString = QStringList;

// The answer of the five photo operations.
struct TPicResultInfo {
    QString F_OPERRESULT;
    int F_MAXNUMBER = 0;
    int F_ZOOMWDITH = 0; // spelled so on the wire
    int F_ZOOMHEIGHT = 0;
    ArrayOfTPictureInfo F_PICLIST;
    ArrayOfString F_FLAGLIST;
    TByteDynArray F_PHOTO;
    int F_FLAG = 0; // 0: F_PHOTO is the small version, otherwise the source version
};

// The answer of the login check.
struct TUserInfo {
    QString F_OPERRESULT;
    QString F_USERID;
    QString F_USERNAME;
    QString F_ORGID;
    QString F_ORGNAME;
    QString F_LOGINDATE;
};

// The answer of the company query.
struct TCompanyInfo {
    QString F_OPERRESULT;
    QString F_COMPANYTYPE;
    QString F_COMPANYNAME;
    QString F_CUSTOMERID;
    QString F_SOFTWAREID;
    QString F_DEVICEID;
};

// The service interface (port type "MORA-PictureServiceSoap"). Every call sends the header set by
// SetHeader; failures (transport, HTTP status, SOAP fault, unreadable answer) throw std::exception.
class MORA_PictureServiceSoap {
public:
    virtual ~MORA_PictureServiceSoap() = default;

    virtual void SetHeader(const Header &header) = 0;
    // Lets the calls that follow be followed and cancelled; a service without transfers ignores it.
    virtual void SetTransferControl(std::shared_ptr<TransferControl> control) { (void)control; }
    // Offers the photos of the answers that follow to sink as they are decoded, before the rest of
    // the answer is read (see PhotoSink); nullptr ends it. A service that decodes nothing early
    // leaves every photo in its record.
    virtual void SetPhotoSink(PhotoSink *sink) { (void)sink; }

    virtual TPicResultInfo Func_GetCompanyPhotoList() = 0;
    virtual TPicResultInfo Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) = 0;
    virtual TPicResultInfo Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) = 0;
    virtual TPicResultInfo Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) = 0;
    virtual TPicResultInfo Func_DeleteCompanyPhoto(const QString &aPhotoId) = 0;
    virtual TUserInfo Func_ValidateUserLogin() = 0;
    virtual TCompanyInfo Func_QueryCompanyInfo() = 0;
};
