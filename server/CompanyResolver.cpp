#include "CompanyResolver.h"

#include "CallerHeader.h"
#include "contract/ResultCodes.h"

namespace {

ResolvedCompany refuse(QLatin1String code, const QString &detail) {
    return {QString(code), std::nullopt, detail, std::nullopt};
}

// The company-query form names the company by its ID; the other two fields repeat parts of it.
std::optional<ResolvedCompany> byCompanyId(PhotoDatabase &db, const CallerHeader &h) {
    if (!h.device.isEmpty()) {
        return std::nullopt;
    }
    const auto company = db.companyById(h.customer);
    if (!company) {
        return std::nullopt;
    }
    if (h.software != h.customer.mid(3) || h.companyType != h.customer.left(3)) {
        return refuse(ResultCode::kCompanyCheckFailed, QStringLiteral("company ID parts do not match"));
    }
    return ResolvedCompany{QString(ResultCode::kSuccess), company, {}, std::nullopt};
}

// The photo-operation form names the company by the opaque identifiers the query handed out.
ResolvedCompany byCustomerId(PhotoDatabase &db, const CallerHeader &h) {
    const auto company = db.companyByCustomerId(h.customer);
    if (!company) {
        return refuse(ResultCode::kCompanyNotFound, QStringLiteral("no such company"));
    }
    if (h.software != company->softwareId || h.device != company->deviceId ||
        h.companyType != company->companyType) {
        return refuse(ResultCode::kCompanyCheckFailed, QStringLiteral("company identifiers do not match"));
    }
    return {QString(ResultCode::kSuccess), company, {}, std::nullopt};
}

} // namespace

ResolvedCompany ResolveCompany(PhotoDatabase &db, const Header &header) {
    const auto caller = ReadCallerHeader(header);
    if (!caller) {
        return refuse(ResultCode::kBadHeader, QStringLiteral("unreadable header"));
    }
    ResolvedCompany found;
    if (auto byId = byCompanyId(db, *caller)) {
        found = *byId;
    } else {
        found = byCustomerId(db, *caller);
    }
    if (!found.company) {
        return found;
    }
    if (found.company->active == 0) {
        return refuse(ResultCode::kCompanyDisabled, QStringLiteral("company deactivated"));
    }
    if (found.company->active != 1) {
        return refuse(ResultCode::kCompanyStateUnknown, QStringLiteral("company state unknown"));
    }
    return found;
}

ResolvedCompany ResolveCompanyWithTypes(PhotoDatabase &db, const Header &header) {
    ResolvedCompany resolved = ResolveCompany(db, header);
    if (!resolved.company) {
        return resolved;
    }
    resolved.types = db.photoTypes(resolved.company->trade);
    if (!resolved.types) {
        return refuse(ResultCode::kTradeNotConfigured, QStringLiteral("trade not configured"));
    }
    return resolved;
}
