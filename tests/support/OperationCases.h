#pragma once
// What the user is told when an operation fails against the demo service, the same through both front
// ends: the window's message box (text, and the reason as its second line) and uploadpic-cli --json
// (code, message, reason).

#include "support/DemoSeed.h"

#include <QString>

#include <vector>

struct OperationCase {
    const char *name;
    QString companyId; // typed into the query
    QString code;
    QString message;
    QString reason;
};

inline std::vector<OperationCase> QueryFailureCases() {
    return {
        {"unknown company", QString::fromUtf8(kUnknownCompany), QStringLiteral("1003"),
         QStringLiteral("企业信息不存在,请重新输入查询"), QStringLiteral("服务器上没有这个企业编号")},
        {"deactivated company", QString::fromUtf8(kDemoCompanyDisabled), QStringLiteral("1000"),
         QStringLiteral("查询企业信息失败"), QStringLiteral("该企业已停用")},
        {"12 characters", QStringLiteral("310115001234"), QStringLiteral("1111"),
         QStringLiteral("企业编号必须为13位"), QStringLiteral("企业编号必须为13位")},
    };
}
