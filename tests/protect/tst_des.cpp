// DES against published answers, the hex codec, and the protected configuration values checked
// against an independent DES implementation (openssl) in both directions.

#include "ConfigWriter.h"
#include "core/StrOper.h"
#include "protect/Des.h"
#include "protect/MoradesLib.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

std::uint64_t block(const char *hex) {
    return QByteArray(hex).toULongLong(nullptr, 16);
}

std::array<std::uint8_t, 8> key(const char *hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    return MoradesLib::DesKeyOf(bytes);
}

// Runs openssl DES-ECB without padding under the built-in key; empty when openssl cannot do DES here.
QByteArray openssl(const QStringList &direction, const QByteArray &input) {
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (exe.isEmpty()) {
        return {};
    }
    QProcess p;
    QStringList args{QStringLiteral("enc"),
                     QStringLiteral("-des-ecb"),
                     QStringLiteral("-nopad"),
                     QStringLiteral("-K"),
                     QString::fromLatin1(QByteArray("ZKPD-WQR").toHex()),
                     QStringLiteral("-provider"),
                     QStringLiteral("legacy"),
                     QStringLiteral("-provider"),
                     QStringLiteral("default")};
    args += direction;
    p.start(exe, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(20000) || p.exitCode() != 0) {
        return {};
    }
    return p.readAllStandardOutput();
}

} // namespace

class TstDes : public QObject {
    Q_OBJECT

private slots:
    void knownAnswers_data() {
        QTest::addColumn<QByteArray>("keyHex");
        QTest::addColumn<QByteArray>("plainHex");
        QTest::addColumn<QByteArray>("cipherHex");
        QTest::newRow("textbook vector") << QByteArray("133457799BBCDFF1") << QByteArray("0123456789ABCDEF")
                                         << QByteArray("85E813540F0AB405");
        QTest::newRow("all-zero key and block")
            << QByteArray("0000000000000000") << QByteArray("0000000000000000")
            << QByteArray("8CA64DE9C1B123A7");
        QTest::newRow("parity bits take no part")
            << QByteArray("123457799ABCDFF0") << QByteArray("0123456789ABCDEF")
            << QByteArray("85E813540F0AB405");
    }
    void knownAnswers() {
        QFETCH(QByteArray, keyHex);
        QFETCH(QByteArray, plainHex);
        QFETCH(QByteArray, cipherHex);
        const Des::RoundKeys keys = Des::MakeRoundKeys(key(keyHex.constData()));
        QCOMPARE(Des::CryptBlock(block(plainHex.constData()), keys, Des::Direction::Encrypt),
                 block(cipherHex.constData()));
        QCOMPARE(Des::CryptBlock(block(cipherHex.constData()), keys, Des::Direction::Decrypt),
                 block(plainHex.constData()));
    }

    void hexToInt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("fails");
        QTest::newRow("empty") << QString() << 0 << false;
        QTest::newRow("lower") << QStringLiteral("0a") << 10 << false;
        QTest::newRow("upper") << QStringLiteral("0A") << 10 << false;
        QTest::newRow("mixed") << QStringLiteral("fF") << 255 << false;
        QTest::newRow("G") << QStringLiteral("0G") << 0 << true;
        QTest::newRow("blank") << QStringLiteral(" 1") << 0 << true;
        QTest::newRow("full-width digit") << QStringLiteral("１") << 0 << true;
    }
    void hexToInt() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, fails);
        try {
            QCOMPARE(MoradesLib::HexToInt(text), value);
            QVERIFY(!fails);
        } catch (const MoradesLib::HexError &e) {
            QVERIFY(fails);
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("错误：不是一个 Hex 字符串！"));
        }
    }

    void decryptBlockRules() {
        const QString eight = cli::ProtectValue(QStringLiteral("abc")); // Base64 "YWJj" plus 4 zero bytes
        QCOMPARE(eight.size(), 16);
        // Empty text: nothing, no error.
        QCOMPARE(MoradesLib::DesDecryptHex(QString()), QByteArray());
        // A seventeenth digit is ignored.
        QCOMPARE(MoradesLib::DesDecryptHex(eight + QStringLiteral("F")), QByteArray("YWJj"));
        // 12 bytes: only the first block is deciphered.
        QCOMPARE(MoradesLib::DesDecryptHex(eight + QStringLiteral("00112233")), QByteArray("YWJj"));
        // Less than a block gives nothing.
        QCOMPARE(MoradesLib::DesDecryptHex(QStringLiteral("0011223344")), QByteArray());
        // Lower-case digits decode the same.
        QCOMPARE(MoradesLib::DesDecryptHex(eight.toLower()), QByteArray("YWJj"));
        QVERIFY_THROWS_EXCEPTION(MoradesLib::HexError,
                                 MoradesLib::DesDecryptHex(QStringLiteral("G0") + eight));
    }

    void zeroBytesInsideStayTrailingOnesGo() {
        const Des::RoundKeys keys =
            Des::MakeRoundKeys(MoradesLib::DesKeyOf(QByteArray(MoradesLib::DesKeyText)));
        const auto cipherOf = [&](const QByteArray &plain8) {
            std::uint64_t b = 0;
            for (char c : plain8) {
                b = (b << 8) | static_cast<std::uint8_t>(c);
            }
            const std::uint64_t out = Des::CryptBlock(b, keys, Des::Direction::Encrypt);
            QByteArray bytes;
            for (int i = 7; i >= 0; --i) {
                bytes.append(static_cast<char>((out >> (8 * i)) & 0xFF));
            }
            return bytes;
        };
        const QByteArray data = cipherOf(QByteArray("ab\0cd\0\0\0", 8)) + cipherOf(QByteArray("12345678"));
        QCOMPARE(MoradesLib::DesDecryptStr(data.left(8), QByteArray(MoradesLib::DesKeyText)),
                 QByteArray("ab\0cd", 5));
        QCOMPARE(MoradesLib::DesDecryptStr(data, QByteArray(MoradesLib::DesKeyText)),
                 QByteArray("ab\0cd\0\0\0"
                            "12345678",
                            16));
        // A short key text is padded with zero bytes.
        QCOMPARE(MoradesLib::DesKeyOf(QByteArray("ab")),
                 (std::array<std::uint8_t, 8>{'a', 'b', 0, 0, 0, 0, 0, 0}));
    }

    void protectedValuesRoundTrip_data() {
        QTest::addColumn<QString>("plain");
        QTest::newRow("address") << QStringLiteral("192.168.10.20");
        QTest::newRow("port") << QStringLiteral("8080");
        QTest::newRow("8-byte Base64") << QStringLiteral("abcdef");
        QTest::newRow("host name") << QStringLiteral("photos.example.test");
        QTest::newRow("empty") << QString();
    }
    void protectedValuesRoundTrip() {
        QFETCH(QString, plain);
        const QString hex = cli::ProtectValue(plain);
        QCOMPARE(hex.size() % 16, 0);
        QCOMPARE(TStrOper::DecodeBase64(QString::fromLatin1(MoradesLib::DesDecryptHex(hex))), plain);
    }

    void interoperatesWithAnotherDesImplementation() {
        const QString plain = QStringLiteral("photos.example.test");
        const QByteArray base64 = TStrOper::EncodeBase64(plain).toLatin1();
        // Our writer's output deciphers elsewhere to the zero-padded Base64 text.
        const QByteArray ours = QByteArray::fromHex(cli::ProtectValue(plain).toLatin1());
        const QByteArray theirPlain = openssl({QStringLiteral("-d")}, ours);
        if (theirPlain.isEmpty()) {
            QSKIP("openssl with DES is not available here");
        }
        QByteArray padded = base64;
        while (padded.size() % 8 != 0) {
            padded.append('\0');
        }
        QCOMPARE(theirPlain, padded);
        // And what openssl enciphers, the client reads.
        const QByteArray theirs = openssl({QStringLiteral("-e")}, padded);
        QCOMPARE(TStrOper::DecodeBase64(
                     QString::fromLatin1(MoradesLib::DesDecryptHex(QString::fromLatin1(theirs.toHex())))),
                 plain);
    }
};

QTEST_GUILESS_MAIN(TstDes)
#include "tst_des.moc"
