#include "UploadPictureMessages.h"

#include "contract/ResultCodes.h"

namespace {

struct PhotoTexts {
    const char16_t *verb;    // what the operation could not do to the photo information
    const char16_t *failed;  // the operation's failure text
    const char16_t *decrypt; // "0002"
    const char16_t *method;
};

const PhotoTexts &textsOf(PhotoOperation op) {
    static const PhotoTexts list{u"获取", u"获取企业照片列表失败", u"获取企业照片列表失败,解密信息错误",
                                 u"Func_GetCompanyPhotoList"};
    static const PhotoTexts fetch{u"获取", u"获取企业照片失败", u"获取企业照片信息失败,解密信息错误",
                                  u"Func_GetCompanyPhoto"};
    static const PhotoTexts insert{u"添加", u"添加企业照片失败", u"添加企业照片信息失败,解密信息错误",
                                   u"Func_InsertCompanyPhoto"};
    static const PhotoTexts update{u"修改", u"修改企业照片失败", u"修改企业照片信息失败,解密信息错误",
                                   u"Func_UpdateCompanyPhoto"};
    static const PhotoTexts remove{u"删除", u"删除企业照片失败", u"删除企业照片信息失败,解密信息错误",
                                   u"Func_DeleteCompanyPhoto"};
    switch (op) {
    case PhotoOperation::List:
        return list;
    case PhotoOperation::Fetch:
        return fetch;
    case PhotoOperation::Insert:
        return insert;
    case PhotoOperation::Update:
        return update;
    case PhotoOperation::Delete:
        break;
    }
    return remove;
}

QString text(const char16_t *s) {
    return QString::fromUtf16(s);
}

} // namespace

QString PhotoCodeMessage(PhotoOperation op, const QString &code) {
    const PhotoTexts &t = textsOf(op);
    const QString cannot = QStringLiteral(",不能") + text(t.verb) + QStringLiteral("照片信息");
    if (code == ResultCode::kCompanyDisabled) {
        return QStringLiteral("企业已停用") + cannot;
    }
    if (code == ResultCode::kCompanyStateUnknown) {
        return QStringLiteral("企业状态未知") + cannot;
    }
    if (code == ResultCode::kCompanyNotFound) {
        return QStringLiteral("企业不存在") + cannot;
    }
    if (code == ResultCode::kCompanyCheckFailed) {
        return QStringLiteral("验证企业信息时失败") + cannot;
    }
    if (code == ResultCode::kTradeNotConfigured) {
        return QStringLiteral("获取该行业的配置信息失败") + cannot;
    }
    if (code == ResultCode::kBadHeader) {
        return QStringLiteral("解密表头错误") + cannot;
    }
    if (code == ResultCode::kBadData) {
        return text(t.decrypt);
    }
    if (op == PhotoOperation::Fetch && code == ResultCode::kPhotoInfoEmpty) {
        return QStringLiteral("获取企业照片失败,照片信息为空");
    }
    if (op == PhotoOperation::Fetch && code == ResultCode::kPhotoNotFound) {
        return QStringLiteral("获取企业照片失败,照片信息不存在");
    }
    return text(t.failed) + QStringLiteral(",返回值:") + code;
}

QString PhotoExceptionText(PhotoOperation op) {
    const PhotoTexts &t = textsOf(op);
    return text(t.failed) + QStringLiteral(",TUploadInfo->") + text(t.method) + QStringLiteral("中错误:");
}

QString PhotoCancelledText(PhotoOperation op) {
    const PhotoTexts &t = textsOf(op);
    // The failure text names the operation and ends in "失败".
    return text(t.failed).chopped(2) + QStringLiteral("已被用户取消,TUploadInfo->") + text(t.method);
}

QString LoginCodeMessage(const QString &code) {
    if (code == ResultCode::kBadHeader) {
        return QStringLiteral("登录验证失败,解密表头错误");
    }
    if (code == ResultCode::kWrongPassword) {
        return QStringLiteral("用户名或密码错误,无法登录系统");
    }
    return QStringLiteral("登录验证错误,返回值:") + code;
}

QString QueryCodeMessage(const QString &code) {
    if (code == ResultCode::kBadHeader) {
        return QStringLiteral("查询企业信息失败,解密表头失败");
    }
    if (code == ResultCode::kCompanyNotFound) {
        return QStringLiteral("企业信息不存在");
    }
    return QStringLiteral("查询企业信息错误,返回值:") + code;
}

QString LoginExceptionText() {
    return QStringLiteral("登录验证失败,TUploadInfo->Func_ValidateUserLogin中错误:");
}

QString QueryExceptionText() {
    return QStringLiteral("查询企业信息失败,TUploadInfo->Func_QueryCompanyInfo中错误:");
}

QString LoginCancelledText() {
    return QStringLiteral("登录验证已被用户取消,TUploadInfo->Func_ValidateUserLogin");
}

QString QueryCancelledText() {
    return QStringLiteral("查询企业信息已被用户取消,TUploadInfo->Func_QueryCompanyInfo");
}

QString FillListExceptionText() {
    return QStringLiteral("向列表中添加照片信息时失败,TUploadInfo->中错误:");
}
