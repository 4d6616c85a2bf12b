// Login check and company query.
#include "CallerHeader.h"
#include "CompanyResolver.h"
#include "ServiceLogic.h"
#include "contract/ResultCodes.h"

#include "core/StrOper.h"

ServiceLogic::ServiceLogic(PhotoDatabase &db, Clock clock, PhotoListCache *lists)
    : db_(db), clock_(std::move(clock)), lists_(lists) {}

Answer<TUserInfo> ServiceLogic::ValidateUserLogin(const Header &header) {
    Answer<TUserInfo> answer;
    const auto caller = ReadCallerHeader(header);
    if (!caller) {
        answer.record.F_OPERRESULT = QString(ResultCode::kBadHeader);
        answer.detail = QStringLiteral("unreadable header");
        return answer;
    }
    // The header of a login carries the user name and the password in the first two fields.
    const auto user = db_.checkUser(caller->customer, caller->software);
    if (!user) {
        answer.record.F_OPERRESULT = QString(ResultCode::kWrongPassword);
        answer.detail = QStringLiteral("wrong user name or password");
        return answer;
    }
    answer.record.F_OPERRESULT = QString(ResultCode::kSuccess);
    answer.record.F_USERID = user->userId;
    answer.record.F_USERNAME = TStrOper::EncodeBase64(user->displayName);
    answer.record.F_ORGID = TStrOper::EncodeBase64(user->orgId);
    answer.record.F_ORGNAME = TStrOper::EncodeBase64(user->orgName);
    answer.record.F_LOGINDATE = clock_().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return answer;
}

Answer<TCompanyInfo> ServiceLogic::QueryCompanyInfo(const Header &header) {
    Answer<TCompanyInfo> answer;
    const ResolvedCompany resolved = ResolveCompany(db_, header);
    answer.record.F_OPERRESULT = resolved.code;
    answer.detail = resolved.detail;
    if (!resolved.company) {
        return answer;
    }
    const CompanyRecord &c = *resolved.company;
    // The identifiers go out as they are stored: the client only ever sends them back.
    answer.record.F_COMPANYTYPE = c.companyType;
    answer.record.F_COMPANYNAME = TStrOper::EncodeBase64(c.name);
    answer.record.F_CUSTOMERID = c.customerId;
    answer.record.F_SOFTWAREID = c.softwareId;
    answer.record.F_DEVICEID = c.deviceId;
    return answer;
}
