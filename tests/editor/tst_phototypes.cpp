// Which types the editor offers and the ID of a new photo, without a window.

#include "tst_addphoto.h"

#include "PhotoTypeChoice.h"
#include "service/PhotoListModel.h"

#include <QTest>

void TstAddPhoto::typeChoiceRules() {
    TPhotoListModel list;
    list.appendRow(QStringLiteral("门头"), QStringLiteral("W1"), QStringLiteral(" 01 "), QStringLiteral("2"),
                   2);
    list.appendRow(QStringLiteral("无类型"), QStringLiteral("W2"), QString(), QStringLiteral("0"), 0);
    const QStringList types{QStringLiteral("01 门头照片"), QStringLiteral("02 营业执照"),
                            QStringLiteral("无空格"), QStringLiteral(" 03 前导空格")};
    // "01" is used (trimmed on both sides); an entry without a space has the empty code, which the
    // second row carries; " 03 ..." has the empty code too.
    QCOMPARE(PhotoTypeChoice::UnusedEntries(types, &list), QStringList{QStringLiteral("02 营业执照")});
    QCOMPARE(PhotoTypeChoice::UnusedEntries(types, nullptr), types);
    QCOMPARE(PhotoTypeChoice::FindItem(types, QStringLiteral("02"), QStringLiteral("n")),
             QStringLiteral("02 营业执照"));
    QCOMPARE(PhotoTypeChoice::FindItem(types, QStringLiteral("09"), QStringLiteral("备注")),
             QStringLiteral("09 备注"));
    QCOMPARE(PhotoTypeChoice::NewPhotoId(QStringLiteral("X1"), QDate(2025, 3, 8), QStringLiteral("01 门头")),
             QStringLiteral("WX12025030801"));
    QCOMPARE(PhotoTypeChoice::NewPhotoId(QStringLiteral("X1"), QDate(2025, 3, 8), QStringLiteral(" 01 门头")),
             QStringLiteral("WX120250308"));
}
