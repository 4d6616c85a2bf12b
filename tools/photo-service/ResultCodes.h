#pragma once
// The four-character result codes the service answers with (F_OPERRESULT).

namespace ResultCode {

inline constexpr char kSuccess[] = "1110";
inline constexpr char kCompanyDisabled[] = "1000";
inline constexpr char kCompanyNotFound[] = "1003";
inline constexpr char kCompanyStateUnknown[] = "1004";
// The company was found but does not pass the checks for the request: its identifiers in the header
// do not match, or an insert would exceed its photo limit or repeat an existing photo ID.
inline constexpr char kCompanyCheckFailed[] = "1111";
inline constexpr char kBadHeader[] = "0001";
inline constexpr char kBadData[] = "0002";
inline constexpr char kTradeNotConfigured[] = "0004";
inline constexpr char kPhotoInfoEmpty[] = "2001";
inline constexpr char kPhotoNotFound[] = "2002";
inline constexpr char kWrongPassword[] = "2003";

} // namespace ResultCode
