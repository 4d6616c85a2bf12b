#pragma once
// Outcomes of the login check, numbered from the user message base 1024: the login thread hands the
// number unchanged to the login dialog.

inline constexpr int WM_LOGIN_SUCCESS = 1024 + 1110;   // the service accepted the user
inline constexpr int WM_LOGIN_FAILED = 1024 + 1111;    // no answer, an exception or an unlisted code
inline constexpr int WM_LOGIN_DENIED = 1024 + 1112;    // "2003": wrong user name or password
inline constexpr int WM_LOGIN_BADHEADER = 1024 + 1113; // "0001": the service could not decrypt the header
