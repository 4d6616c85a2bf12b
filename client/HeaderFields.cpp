#include "HeaderFields.h"

#include "MainDataModule.h"
#include "core/StrOper.h"
#include "core/SysOper.h"

THeaderFields BuildHeaderFields(const TDM_Main &dm) {
    THeaderFields h;
    switch (dm.OperationKind) {
    case TOperationKind::Login:
        h.F_CUSTOMERID = TStrOper::EncodeHeaderStr(dm.UserName);
        h.F_SOFTWAREID = TStrOper::EncodeHeaderStr(dm.UserPass);
        h.F_DEVICECODE = TStrOper::EncodeHeaderStr(QString());
        h.F_COMPANYTYPE = TStrOper::EncodeBase64(QString());
        break;
    case TOperationKind::CompanyQuery:
        // Characters 4 to 13 and 1 to 3 of the typed ID; a shorter ID gives what is there.
        h.F_CUSTOMERID = TStrOper::EncodeHeaderStr(dm.CompanyId);
        h.F_SOFTWAREID = TStrOper::EncodeHeaderStr(dm.CompanyId.mid(3, 10));
        h.F_DEVICECODE = TStrOper::EncodeHeaderStr(QString());
        h.F_COMPANYTYPE = TStrOper::EncodeBase64(dm.CompanyId.left(3));
        break;
    case TOperationKind::Photo: {
        static const TCurrentCompany none;
        const TCurrentCompany &company = dm.CurrentCompany ? *dm.CurrentCompany : none;
        h.F_CUSTOMERID = TStrOper::EncodeHeaderStr(company.CustomerId);
        h.F_SOFTWAREID = TStrOper::EncodeHeaderStr(company.SoftwareId);
        h.F_DEVICECODE = TStrOper::EncodeHeaderStr(company.DeviceId);
        h.F_COMPANYTYPE = TStrOper::EncodeBase64(company.CompanyType);
        break;
    }
    }
    h.F_VERSIONNUM = TStrOper::EncodeBase64(TSysOper::GetVersion());
    return h;
}
