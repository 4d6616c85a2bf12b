// libFuzzer target: a request body as photo-service handles it, read, checked and answered from a
// database with the demo data. Every input must end in an answer or a SOAP fault.

#include "DemoSeed.h"
#include "PhotoDatabase.h"
#include "ServiceLogic.h"
#include "SoapEndpoint.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Service {
    QTemporaryDir folder;
    std::unique_ptr<PhotoDatabase> db;
    std::unique_ptr<ServiceLogic> logic;
};

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
    AnswerSoapRequest(*service->logic, body);
    return 0;
}
