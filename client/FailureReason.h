#pragma once
// Why an operation failed, said so that a person can act on it: the second line under the message a
// window shows, the "reason" of uploadpic-cli. The run log keeps the technical account.

#include <QString>

#include <exception>

namespace FailureReason {

// The reason for a result code other than success ("该企业已停用" for "1000", ...).
QString OfCode(const QString &code);
// The reason for a failure that left no answer to read: the transport's kinds, a SOAP fault (with the
// server's own text), an unreadable answer, a full disk, anything else.
QString OfException(const std::exception &e);
// Whether the failure left the outcome unknown because the service could not be reached or the
// transfer was cut (no connection, no answer in time, too slow, broken, a gateway's 502-504): the
// cases where the work is worth keeping to send later. A refusal, a fault or a cancel is none.
bool IsUnreachable(const std::exception &e);

// Local failures that are no exception.
QString CacheNotWritten(const QString &why); // the answer was good, its file could not be written
QString UnsafePhotoId();                     // a photo ID that cannot name a cache file
QString NotInList(const QString &photoId);   // a photo the company's list does not hold

} // namespace FailureReason
