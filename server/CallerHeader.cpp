#include "CallerHeader.h"

#include "WireText.h"

std::optional<CallerHeader> ReadCallerHeader(const Header &header) {
    const auto customer = WireText::ReadHeaderToken(header.F_CUSTOMERID);
    const auto software = WireText::ReadHeaderToken(header.F_SOFTWAREID);
    const auto device = WireText::ReadHeaderToken(header.F_DEVICECODE);
    const auto companyType = WireText::ReadBase64Text(header.F_COMPANYTYPE);
    const auto version = WireText::ReadBase64Text(header.F_VERSIONNUM);
    if (!customer || !software || !device || !companyType || !version || version->isEmpty()) {
        return std::nullopt;
    }
    return CallerHeader{*customer, *software, *device, *companyType, *version};
}
