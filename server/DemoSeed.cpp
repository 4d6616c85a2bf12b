#include "DemoSeed.h"
#include "contract/PhotoId.h"

#include "DemoData.h"
#include "DemoImages.h"
#include "PhotoDatabase.h"
#include "ServiceLogic.h"

namespace {

const QString kSeedMark = QStringLiteral("demo_seeded");

struct DemoTrade {
    const char *code;
    const char *name;
    std::initializer_list<std::pair<const char *, const char *>> types;
};

const DemoTrade kTrades[] = {
    {"CY",
     "餐饮",
     {{"01", "门头照片"},
      {"02", "营业执照"},
      {"03", "后厨照片"},
      {"04", "就餐区照片"},
      {"05", "消防设施照片"}}},
    {"LS", "零售", {{"01", "门头照片"}, {"02", "营业执照"}, {"03", "货架照片"}, {"04", "收银台照片"}}},
    {"ZS", "住宿", {{"01", "门头照片"}, {"02", "营业执照"}, {"03", "客房照片"}}},
};

QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

void seedUsers(PhotoDatabase &db) {
    db.addUser({u(DemoData::kUser), QStringLiteral("U0001"), u("演示用户"), QStringLiteral("ORG01"),
                u("上海安装服务部")},
               u(DemoData::kPassword));
    db.addUser({u(DemoData::kChineseUser), QStringLiteral("U0002"), u("张工"), QStringLiteral("ORG01"),
                u("上海安装服务部")},
               u(DemoData::kChinesePassword));
}

void seedTrades(PhotoDatabase &db) {
    for (const DemoTrade &trade : kTrades) {
        db.addTrade(u(trade.code), u(trade.name));
        for (const auto &[code, name] : trade.types) {
            db.addPhotoType(u(trade.code), {u(code), u(name)});
        }
    }
}

void addCompanyOnce(PhotoDatabase &db, const CompanyRecord &company) {
    if (!db.companyById(company.companyId)) {
        db.addCompany(company);
    }
}

CompanyRecord companyWithPhotos() {
    CompanyRecord c;
    c.companyId = u(DemoData::kCompanyWithPhotos);
    c.customerId = u(DemoData::kCompanyWithPhotosCustomerId);
    c.softwareId = u(DemoData::kCompanyWithPhotosSoftwareId);
    c.deviceId = u(DemoData::kCompanyWithPhotosDeviceId);
    c.companyType = u(DemoData::kCompanyWithPhotosType);
    c.name = u(DemoData::kCompanyWithPhotosName);
    c.trade = QStringLiteral("CY");
    c.photoLimit = DemoData::kCompanyWithPhotosLimit;
    c.zoomWidth = DemoData::kCompanyWithPhotosZoomWidth;
    c.zoomHeight = DemoData::kCompanyWithPhotosZoomHeight;
    return c;
}

void seedCompanies(PhotoDatabase &db) {
    addCompanyOnce(db, companyWithPhotos());

    CompanyRecord empty;
    empty.companyId = u(DemoData::kCompanyEmpty);
    empty.customerId = u(DemoData::kCompanyEmptyCustomerId);
    empty.softwareId = QStringLiteral("RJ55018236");
    empty.deviceId = QStringLiteral("SB00042");
    empty.companyType = empty.companyId.left(3);
    empty.name = u(DemoData::kCompanyEmptyName);
    empty.trade = QStringLiteral("LS");
    empty.photoLimit = DemoData::kCompanyEmptyLimit;
    empty.zoomWidth = DemoData::kCompanyEmptyZoomWidth;
    empty.zoomHeight = DemoData::kCompanyEmptyZoomHeight;
    addCompanyOnce(db, empty);

    CompanyRecord disabled;
    disabled.companyId = u(DemoData::kCompanyDisabled);
    disabled.customerId = QStringLiteral("KH110108009");
    disabled.softwareId = QStringLiteral("RJ10293847");
    disabled.deviceId = QStringLiteral("SB00099");
    disabled.companyType = disabled.companyId.left(3);
    disabled.name = u(DemoData::kCompanyDisabledName);
    disabled.trade = QStringLiteral("ZS");
    disabled.active = 0;
    disabled.photoLimit = 3;
    disabled.zoomWidth = 640;
    disabled.zoomHeight = 480;
    addCompanyOnce(db, disabled);
}

void seedPhotos(PhotoDatabase &db) {
    const CompanyRecord company = companyWithPhotos();
    const QDate day =
        QDate::fromString(QString::fromLatin1(DemoData::kPhotoDate), QStringLiteral("yyyyMMdd"));
    int variant = 0;
    for (const DemoData::Photo &demo : DemoData::kPhotos) {
        PhotoRecord photo;
        photo.typeCode = u(demo.typeCode);
        photo.photoId = PhotoId::ForNewPhoto(company.customerId, day, photo.typeCode);
        photo.companyId = company.companyId;
        photo.note = u(demo.note);
        // The source is larger than the company's limits, the small version fits them.
        photo.source = DemoImages::PaintJpeg(QSize(1280, 960), variant);
        photo.small = DemoImages::PaintJpeg(QSize(company.zoomWidth, company.zoomHeight), variant);
        photo.inputTime =
            QDateTime(day, QTime(9, 30 + variant)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        db.insertPhoto(photo, company.photoLimit); // an existing photo of the same ID is kept
        ++variant;
    }
}

} // namespace

bool SeedDemo(PhotoDatabase &db) {
    bool created = false;
    db.inTransaction([&] {
        db.serializeSetup();
        if (db.meta(kSeedMark)) {
            return;
        }
        seedUsers(db);
        seedTrades(db);
        seedCompanies(db);
        seedPhotos(db);
        db.setMeta(kSeedMark, QStringLiteral("1"));
        created = true;
    });
    return created;
}
