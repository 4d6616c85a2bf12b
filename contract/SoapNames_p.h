#pragma once
// Names shared by the SOAP writer and reader.

#include <QString>

namespace Soap::detail {

inline constexpr char kEnvelopeNamespace[] = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char kXsdNamespace[] = "http://www.w3.org/2001/XMLSchema";

} // namespace Soap::detail
