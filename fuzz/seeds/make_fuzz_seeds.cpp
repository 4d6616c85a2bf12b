// make_fuzz_seeds DIR: writes DIR/<target>/<name> for every fuzz target, from the messages, images and
// texts the tests use, so each fuzzer starts from well-formed input.

#include "ConfigWriter.h"
#include "contract/SoapCodec.h"
#include "core/Gbk.h"
#include "core/StrOper.h"
#include "imaging/heifgrid/HeifBoxes.h"
#include "imaging/heifgrid/HeifWriter.h"
#include "support/PhotoFormats.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>

namespace {

QString outDir;

void put(const char *target, const QString &name, const QByteArray &bytes) {
    const QString folder = outDir + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

QByteArray jpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return bytes;
}

// An EXIF segment with the orientation tag, placed after the JPEG's start marker.
QByteArray withOrientation(const QByteArray &jpegBytes, int orientation) {
    QByteArray tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    tiff[19] = static_cast<char>(orientation);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(payload.size()) + 2;
    const QByteArray segment = QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
    return jpegBytes.left(2) + segment + jpegBytes.mid(2);
}

Header header(const QString &customer, const QString &software, const QString &device, const QString &type) {
    return Header{TStrOper::EncodeHeaderStr(customer), TStrOper::EncodeHeaderStr(software),
                  TStrOper::EncodeHeaderStr(device), TStrOper::EncodeBase64(type),
                  TStrOper::EncodeBase64(QStringLiteral("2.0.0.0"))};
}

void soapSeeds() {
    using Soap::Operation;
    const Header login = header(QStringLiteral("demo"), QStringLiteral("demo123"), {}, {});
    const Header query =
        header(QStringLiteral("3101150012345"), QStringLiteral("0012345"), {}, QStringLiteral("310"));
    const Header photos = header(QStringLiteral("KH310115001"), QStringLiteral("RJ73920451"),
                                 QStringLiteral("SB00017"), QStringLiteral("310"));
    const std::pair<Operation, Header> requests[] = {
        {Operation::ValidateUserLogin, login},    {Operation::QueryCompanyInfo, query},
        {Operation::GetCompanyPhotoList, photos}, {Operation::GetCompanyPhoto, photos},
        {Operation::InsertCompanyPhoto, photos},  {Operation::UpdateCompanyPhoto, photos},
        {Operation::DeleteCompanyPhoto, photos}};
    for (const auto &[op, h] : requests) {
        Soap::Request r;
        r.op = op;
        r.header = h;
        r.aPhotoId = TStrOper::EncodeBase64(QStringLiteral("WKH3101150012024031501"));
        r.aFlag = TStrOper::EncodeBase64(QStringLiteral("0"));
        r.aPicInfo.F_ID = QStringLiteral("WKH3101150012024031501");
        r.aPicInfo.F_PHOTO = jpeg(32, 24);
        r.aPicInfo.F_SMALLPHOTO = jpeg(16, 12);
        r.aPicInfo.F_FLAG = TStrOper::EncodeBase64(QStringLiteral("05"));
        r.aPicInfo.F_MEMO = TStrOper::EncodeBase64(QStringLiteral("消防通道"));
        const QByteArray bytes = Soap::WriteRequest(r);
        put("fuzz_soap_request", Soap::OperationName(op), bytes);
        put("fuzz_soap_reader", Soap::OperationName(op), bytes);
    }
    TPicResultInfo list;
    list.F_OPERRESULT = QStringLiteral("1110");
    list.F_MAXNUMBER = 6;
    list.F_ZOOMWDITH = 800;
    list.F_ZOOMHEIGHT = 600;
    TPictureInfo photo;
    photo.F_ID = TStrOper::EncodeBase64(QStringLiteral("WKH3101150012024031501"));
    photo.F_SMALLPHOTO = jpeg(16, 12);
    photo.F_MEMO = TStrOper::EncodeBase64(QStringLiteral("门头正面"));
    TPictureInfo large = photo; // its Base64 long enough to be lifted out before the XML reader
    large.F_SMALLPHOTO = photo.F_SMALLPHOTO.repeated(8);
    list.F_PICLIST = {photo, large};
    list.F_FLAGLIST = {TStrOper::EncodeBase64(QStringLiteral("01 门头照片"))};
    put("fuzz_soap_reader", QStringLiteral("list-answer"),
        Soap::WriteResponse(Operation::GetCompanyPhotoList, list));
    TCompanyInfo company;
    company.F_OPERRESULT = QStringLiteral("1110");
    company.F_COMPANYTYPE = QStringLiteral("310");
    company.F_COMPANYNAME = TStrOper::EncodeBase64(QStringLiteral("明珠"));
    company.F_CUSTOMERID = QStringLiteral("KH310115001");
    put("fuzz_soap_reader", QStringLiteral("company-answer"),
        Soap::WriteResponse(Operation::QueryCompanyInfo, company));
    put("fuzz_soap_reader", QStringLiteral("fault"),
        Soap::WriteFault(QStringLiteral("soap:Server"), QStringLiteral("x")));
}

// A HEIF grid of two tiles, turned and mirrored, with the boxes a phone writes; the tiles' coded
// data is filler, which the box reading does not look into.
QByteArray heifGrid() {
    const auto box = [](const char *type, const QByteArray &payload) {
        QByteArray out(4, '\0');
        qToBigEndian<std::uint32_t>(std::uint32_t(payload.size() + 8), out.data());
        return out + QByteArray(type, 4) + payload;
    };
    const QByteArray extent = box("ispe", QByteArray::fromHex("00000000 00000040 00000040"));
    const QByteArray config = box("hvcC", QByteArray(23, '\1'));
    THeifItemOut grid{FourCc("grid"),
                      {box("ispe", QByteArray::fromHex("00000000 00000080 00000030")),
                       box("irot", QByteArray(1, '\1')), box("imir", QByteArray(1, '\0'))},
                      QByteArray::fromHex("0000 0001 0080 0030"), // one row of two tiles, 128 x 48
                      {2, 3}};
    THeifItemOut tile{FourCc("hvc1"), {config, extent}, QByteArray(40, '\x26'), {}, true};
    return WriteHeifFile(FourCc("heic"), {grid, tile, tile});
}

// A real HEIC file written by writer into a scratch file, as bytes.
template <typename Writer> QByteArray heicFile(Writer writer) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seed.heic"));
    QFile file(path);
    return writer(path) && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void imageSeeds() {
    put("fuzz_heif_boxes", QStringLiteral("grid.heic"), heifGrid());
    QImage picture(128, 96, QImage::Format_RGB888); // a gradient: coded small, decoded whole
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixelColor(x, y, QColor(x * 2, y * 2, (x + y) % 256));
        }
    }
    put("fuzz_heif_prepare", QStringLiteral("grid.heic"), heicFile([&](const QString &path) {
            return photoformats::writeHeicGrid(path, picture, QSize(64, 64),
                                               {photoformats::transformBox("irot", 1)});
        }));
    put("fuzz_heif_prepare", QStringLiteral("single.heic"),
        heicFile([&](const QString &path) { return photoformats::writeHeic(path, picture, 6); }));
    for (const char *target : {"fuzz_jpeg_reader", "fuzz_viewer_load"}) {
        put(target, QStringLiteral("plain.jpg"), jpeg(64, 48));
        put(target, QStringLiteral("turned6.jpg"), withOrientation(jpeg(40, 30), 6));
        put(target, QStringLiteral("turned8.jpg"), withOrientation(jpeg(30, 40), 8));
    }
}

void textSeeds() {
    const QString texts[] = {QStringLiteral("demo"), QStringLiteral("密码2024"),
                             QStringLiteral("3101150012345"), QStringLiteral("KH310115001")};
    int n = 0;
    for (const QString &text : texts) {
        const QString name = QString::number(++n);
        put("fuzz_header_token", name, TStrOper::EncodeHeaderStr(text).toUtf8());
        put("fuzz_base64_gbk", name, TStrOper::EncodeBase64(text).toLatin1());
        put("fuzz_base64_gbk", name + QStringLiteral("-gbk"), Gbk::encode(text));
        put("fuzz_des_hex", name, cli::ProtectValue(text).toLatin1());
    }
    QTemporaryDir folder;
    QString error;
    if (cli::WriteConfigFile(folder.path(), QStringLiteral("192.0.2.10"), QStringLiteral("8080"), error)) {
        QFile ini(folder.filePath(QStringLiteral("PictureConfig/Config.ini")));
        if (ini.open(QIODevice::ReadOnly)) {
            put("fuzz_config_file", QStringLiteral("Config.ini"), ini.readAll());
        }
    }
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_fuzz_seeds DIR\n", stderr);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    soapSeeds();
    imageSeeds();
    textSeeds();
    return 0;
}
