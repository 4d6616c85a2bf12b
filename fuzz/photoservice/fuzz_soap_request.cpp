// libFuzzer target: a request body as photo-service handles it, read, checked and answered from a
// database with the demo data. Every input must end in an answer or a SOAP fault; a request the
// reader accepts, written again and read back, must give the same request.

#include "DemoSeed.h"
#include "PhotoDatabase.h"
#include "ServiceLogic.h"
#include "SoapEndpoint.h"

#include "contract/SoapCodec.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

namespace {

struct Service {
    QTemporaryDir folder;
    std::unique_ptr<PhotoDatabase> db;
    std::unique_ptr<ServiceLogic> logic;
};

bool operator==(const TPictureInfo &a, const TPictureInfo &b) {
    return a.F_ID == b.F_ID && a.F_COMPANYID == b.F_COMPANYID && a.F_PHOTO == b.F_PHOTO &&
           a.F_SMALLPHOTO == b.F_SMALLPHOTO && a.F_BUSFLAG == b.F_BUSFLAG && a.F_FLAG == b.F_FLAG &&
           a.F_MEMO == b.F_MEMO && a.F_INPUTTIME == b.F_INPUTTIME && a.F_ISEXISTS == b.F_ISEXISTS;
}

bool operator==(const Header &a, const Header &b) {
    return a.F_CUSTOMERID == b.F_CUSTOMERID && a.F_SOFTWAREID == b.F_SOFTWAREID &&
           a.F_DEVICECODE == b.F_DEVICECODE && a.F_COMPANYTYPE == b.F_COMPANYTYPE &&
           a.F_VERSIONNUM == b.F_VERSIONNUM;
}

// Text the writer can carry unchanged: XML has no form for most control characters, and a lone
// carriage return comes back as a line feed.
bool writable(const QString &text) {
    for (const QChar c : text) {
        if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c.isSurrogate() || c.unicode() >= 0xFFFE) {
            return false;
        }
    }
    return true;
}

void checkRoundTrip(const QByteArray &body) {
    Soap::Request read;
    try {
        read = Soap::ReadRequest(body);
    } catch (const Soap::SoapError &) {
        return;
    }
    const TPictureInfo &p = read.aPicInfo;
    const Header &h = read.header;
    for (const QString *text : std::initializer_list<const QString *>{
             &read.aPhotoId, &read.aFlag, &p.F_ID, &p.F_COMPANYID, &p.F_BUSFLAG, &p.F_FLAG, &p.F_MEMO,
             &p.F_INPUTTIME, &p.F_ISEXISTS, &h.F_CUSTOMERID, &h.F_SOFTWAREID, &h.F_DEVICECODE,
             &h.F_COMPANYTYPE, &h.F_VERSIONNUM}) {
        if (!writable(*text)) {
            return;
        }
    }
    const Soap::Request again = Soap::ReadRequest(Soap::WriteRequest(read));
    using Soap::Operation;
    const bool picture = read.op == Operation::InsertCompanyPhoto || read.op == Operation::UpdateCompanyPhoto;
    const bool photoId = read.op == Operation::GetCompanyPhoto || read.op == Operation::DeleteCompanyPhoto;
    if (again.op != read.op || !(again.header == read.header) ||
        (picture && !(again.aPicInfo == read.aPicInfo)) || (photoId && again.aPhotoId != read.aPhotoId) ||
        (read.op == Operation::GetCompanyPhoto && again.aFlag != read.aFlag)) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv); // the SQL driver plugins need an application
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::unique_ptr<Service> service = [] {
        auto s = std::make_unique<Service>();
        s->db = std::make_unique<PhotoDatabase>(s->folder.filePath(QStringLiteral("photos.db")));
        SeedDemo(*s->db);
        s->logic = std::make_unique<ServiceLogic>(*s->db);
        return s;
    }();
    const QByteArray body(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkRoundTrip(body);
    AnswerSoapRequest(*service->logic, body);
    return 0;
}
