#pragma once
// The four-character result codes of the photo service (F_OPERRESULT), as the service answers them
// and the client reads them. One definition for the client, the command-line tool and the service.

#include <QLatin1String>

namespace ResultCode {

inline constexpr QLatin1String kSuccess{"1110"};
inline constexpr QLatin1String kCompanyDisabled{"1000"};
inline constexpr QLatin1String kCompanyNotFound{"1003"};
inline constexpr QLatin1String kCompanyStateUnknown{"1004"};
// The company was found but does not pass the checks for the request: its identifiers in the header
// do not match, or an insert would exceed its photo limit or repeat an existing photo ID. The client
// also reports it for an operation that read no answer at all.
inline constexpr QLatin1String kCompanyCheckFailed{"1111"};
inline constexpr QLatin1String kNoAnswer = kCompanyCheckFailed;
inline constexpr QLatin1String kBadHeader{"0001"};
inline constexpr QLatin1String kBadData{"0002"};
inline constexpr QLatin1String kTradeNotConfigured{"0004"};
inline constexpr QLatin1String kPhotoInfoEmpty{"2001"};
inline constexpr QLatin1String kPhotoNotFound{"2002"};
inline constexpr QLatin1String kWrongPassword{"2003"};

} // namespace ResultCode
