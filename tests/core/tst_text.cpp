// Base64 of texts, the text before a separator, header tokens, and outside text shown as text.

#include "core/Base64.h"
#include "core/Gbk.h"
#include "core/ShownText.h"
#include "core/StrOper.h"

#include <QTest>

class TstText : public QObject {
    Q_OBJECT

private slots:
    // Text from outside keeps to its line and cannot steer a terminal.
    void controlCharactersShownAsEscapes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain, with Chinese")
            << QStringLiteral("W1 照片 a\\b") << QString() << QStringLiteral("W1 照片 a\\b");
        QTest::newRow("line breaks") << QStringLiteral("id\nPhoto=x\r\n") << QString()
                                     << QStringLiteral("id\\nPhoto=x\\r\\n");
        QTest::newRow("tab kept") << QStringLiteral("a\tb\nc") << QStringLiteral("\t")
                                  << QStringLiteral("a\tb\\nc");
        QTest::newRow("terminal escape, NUL, DEL") << QStringView(u"\x1B[2J\0x\x7F", 7).toString()
                                                   << QString() << QStringLiteral("\\x1B[2J\\x00x\\x7F");
        QTest::newRow("C1 control") << QString::fromUtf16(u"a\x9B"
                                                          u"b")
                                    << QString() << QStringLiteral("a\\x9Bb");
        QTest::newRow("line separator, bidi override")
            << QString::fromUtf16(u"a\u2028b\u202Ec\u2066") << QString()
            << QStringLiteral("a\\u{2028}b\\u{202E}c\\u{2066}");
    }
    void controlCharactersShownAsEscapes() {
        QFETCH(QString, text);
        QFETCH(QString, keep);
        QFETCH(QString, shown);
        QCOMPARE(ShownText(text, keep), shown);
    }

    void base64LineBreaks_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("lines");     // count of CR LF pairs
        QTest::addColumn<int>("lastChars"); // characters after the last CR LF
        QTest::newRow("54 bytes: one line") << 54 << 0 << 72;
        QTest::newRow("55 bytes: 76 characters, then a break") << 55 << 1 << 0;
        QTest::newRow("57 bytes: exactly 76 then break") << 57 << 1 << 0;
        QTest::newRow("58 bytes: 76, break, 4") << 58 << 1 << 4;
        QTest::newRow("114 bytes: two full lines") << 114 << 2 << 0;
    }
    void base64LineBreaks() {
        QFETCH(int, bytes);
        QFETCH(int, lines);
        QFETCH(int, lastChars);
        const QString encoded = TStrOper::EncodeBase64(QString(bytes, u'a'));
        QCOMPARE(encoded.count(QStringLiteral("\r\n")), lines);
        const auto parts = encoded.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            QCOMPARE(parts[i].size(), 76);
        }
        QCOMPARE(parts.last().size(), lastChars);
        QCOMPARE(TStrOper::DecodeBase64(encoded), QString(bytes, u'a'));
    }

    void base64Basics() {
        QCOMPARE(TStrOper::EncodeBase64(QStringLiteral("abc")), QStringLiteral("YWJj"));
        QCOMPARE(TStrOper::EncodeBase64(QString()), QString());
        QCOMPARE(TStrOper::DecodeBase64(QStringLiteral("YWJj")), QStringLiteral("abc"));
        QCOMPARE(TStrOper::DecodeBase64(QStringLiteral("YW\r\nJj")), QStringLiteral("abc"));
        QCOMPARE(TStrOper::DecodeBase64(QString()), QString());
        // A text's Base64 is the Base64 of its GBK bytes.
        const QString chinese = QStringLiteral("门头照片");
        QCOMPARE(TStrOper::EncodeBase64(chinese), QString::fromLatin1(Gbk::encode(chinese).toBase64()));
        QCOMPARE(TStrOper::DecodeBase64(TStrOper::EncodeBase64(chinese)), chinese);
    }

    void base64DecodingSkipsJunkAndStopsGroupsAtFill_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("blanks and junk skipped") << QStringLiteral(" Y*W J\tj!") << QByteArray("abc");
        QTest::newRow("one fill gives two bytes") << QStringLiteral("YWI=") << QByteArray("ab");
        QTest::newRow("two fills give one byte") << QStringLiteral("YQ==") << QByteArray("a");
        QTest::newRow("groups after a fill go on") << QStringLiteral("YQ==YWJj") << QByteArray("aabc");
        QTest::newRow("only junk") << QStringLiteral("!!--**") << QByteArray();
        QTest::newRow("partial group at the end") << QStringLiteral("YWJjYWI") << QByteArray("abcab");
        QTest::newRow("non-Latin-1 characters skipped") << QStringLiteral("YW门Jj") << QByteArray("abc");
    }
    void base64DecodingSkipsJunkAndStopsGroupsAtFill() {
        QFETCH(QString, input);
        QFETCH(QByteArray, bytes);
        if (input.toLatin1() == input.toUtf8()) {
            QCOMPARE(TStrOper::DecodeBase64Bytes(input.toLatin1()), bytes);
        }
        // The reader's text comes in pieces, split anywhere.
        Base64Decoder decoder;
        for (qsizetype i = 0; i < input.size(); ++i) {
            decoder.feed(QStringView(input).sliced(i, 1));
        }
        QCOMPARE(decoder.take(), bytes);
    }

    void base64OfBytesIsAppended() {
        QByteArray bytes("\x00\xff\x10 binary\r\n", 12);
        for (qsizetype n = 0; n <= bytes.size(); ++n) {
            QByteArray out("<x>");
            AppendBase64(out, bytes.left(n));
            QCOMPARE(out, "<x>" + bytes.left(n).toBase64());
        }
    }

    void textBeforeSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("before");
        QTest::newRow("code and name") << QStringLiteral("01 门头照片") << QStringLiteral("01");
        QTest::newRow("no separator") << QStringLiteral("01门头照片") << QString();
        QTest::newRow("leading separator") << QStringLiteral(" 01 门头") << QString();
        QTest::newRow("blanks trimmed") << QStringLiteral("\t02\t 名") << QStringLiteral("02");
    }
    void textBeforeSeparator() {
        QFETCH(QString, text);
        QFETCH(QString, before);
        QCOMPARE(TStrOper::GetStrBeforeChar(text, u' '), before);
    }

    void randomLettersCoverTheAlphabet() {
        QSet<QString> seen;
        for (int i = 0; i < 5000 && seen.size() < 52; ++i) {
            const QString letter = TStrOper::GetRandomStr();
            QCOMPARE(letter.size(), 1);
            QVERIFY(letter.at(0).isLetter() && letter.at(0).unicode() < 128);
            seen.insert(letter);
        }
        QCOMPARE(seen.size(), 52);
    }

    void tokenShapeAndRecovery_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii user") << QStringLiteral("installer01");
        QTest::newRow("one byte") << QStringLiteral("a");
        QTest::newRow("chinese user") << QStringLiteral("张三丰");
        QTest::newRow("company id") << QStringLiteral("3201000012345");
        QTest::newRow("54 bytes") << QString(54, u'x');
    }
    void tokenShapeAndRecovery() {
        QFETCH(QString, text);
        const QString base64 = TStrOper::EncodeBase64(text);
        const QString token = TStrOper::EncodeHeaderStr(text);
        QCOMPARE(token.size(), 2 * base64.size() - 1);
        for (qsizetype i = 0; i < token.size(); ++i) {
            if (i % 2 == 0) {
                QCOMPARE(token.at(i), base64.at(i / 2));
            } else {
                QVERIFY2(token.at(i).isLetter(), qPrintable(token));
            }
        }
        QCOMPARE(TStrOper::DecodeHeaderStr(token), text);
        // The GBK bytes are what travels.
        QCOMPARE(Gbk::encode(TStrOper::DecodeHeaderStr(token)), Gbk::encode(text));
    }

    void tokenOfEmptyTextIsEmpty() { QCOMPARE(TStrOper::EncodeHeaderStr(QString()), QString()); }

    void tokenOfSixtyBytesCarriesTheLineBreak() {
        const QString text(60, u'k');
        const QString token = TStrOper::EncodeHeaderStr(text);
        QCOMPARE(token.size(), 2 * 82 - 1);
        QCOMPARE(token.at(152), u'\r'); // 153rd character
        QCOMPARE(token.at(154), u'\n'); // 155th character
        QCOMPARE(TStrOper::DecodeHeaderStr(token), text);
    }

    void tokenOfWholeLineDropsTheFinalBreak() {
        const QString text(57, u'k'); // Base64: exactly 76 characters and a CR LF
        const QString token = TStrOper::EncodeHeaderStr(text);
        QCOMPARE(token.size(), 2 * 76 - 1);
        QVERIFY(!token.contains(u'\r'));
    }

    void repeatedTokensKeepTheirOddPositions() {
        const QString text = QStringLiteral("3201000012345");
        const QString a = TStrOper::EncodeHeaderStr(text);
        bool lettersDiffered = false;
        for (int i = 0; i < 20; ++i) {
            const QString b = TStrOper::EncodeHeaderStr(text);
            QCOMPARE(b.size(), a.size());
            for (qsizetype k = 0; k < a.size(); k += 2) {
                QCOMPARE(b.at(k), a.at(k));
            }
            lettersDiffered = lettersDiffered || b != a;
        }
        QVERIFY(lettersDiffered);
    }

    void gbkCoverage() {
        QVERIFY(Gbk::canEncode(QStringLiteral("门头照片 note 123")));
        QVERIFY(!Gbk::canEncode(QStringLiteral("emoji \U0001F600")));
        QVERIFY(!Gbk::canEncode(QStringLiteral("한국어")));
    }
};

QTEST_GUILESS_MAIN(TstText)
#include "tst_text.moc"
