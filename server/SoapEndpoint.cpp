#include "SoapEndpoint.h"

#include "CallerHeader.h"
#include "RequestLog.h"
#include "ServiceMetrics.h"
#include "WireText.h"
#include "contract/ResultCodes.h"
#include "contract/SoapCodec.h"

#include <exception>

namespace {

template <typename Record>
SoapReply reply(Soap::Operation op, const Answer<Record> &answer, QByteArrayList body) {
    SoapReply r;
    r.body = std::move(body);
    r.resultCode = answer.record.F_OPERRESULT;
    r.operation = Soap::OperationName(op);
    r.outcome = r.resultCode;
    r.createdId = answer.createdId;
    r.logLine = Soap::OperationName(op) + QLatin1Char(' ') + answer.record.F_OPERRESULT;
    if (!answer.detail.isEmpty()) {
        r.logLine += QStringLiteral(" (") + answer.detail + QLatin1Char(')');
    }
    return r;
}

template <typename Record> SoapReply reply(Soap::Operation op, const Answer<Record> &answer) {
    return reply(op, answer, {Soap::WriteResponse(op, answer.record)});
}

SoapReply fault(const QString &code, const QString &text, const QString &logPrefix) {
    SoapReply r;
    r.httpStatus = 500;
    r.body = {Soap::WriteFault(code, text)};
    r.logLine = logPrefix + QStringLiteral(" fault: ") + text;
    r.operation = logPrefix;
    r.outcome = QStringLiteral("fault");
    return r;
}

// Operations that change nothing the caller asked to change (a login may replace an outdated password
// hash, which is the same whenever it is done), so they may be answered again after a lost connection.
bool repeatable(Soap::Operation op) {
    using Soap::Operation;
    return op == Operation::GetCompanyPhotoList || op == Operation::GetCompanyPhoto ||
           op == Operation::QueryCompanyInfo || op == Operation::ValidateUserLogin;
}

SoapReply dispatch(ServiceLogic &logic, const Soap::Request &q) {
    using Soap::Operation;
    switch (q.op) {
    case Operation::GetCompanyPhotoList: {
        const WrittenList list = logic.GetWrittenPhotoList(q.header);
        return reply(q.op, list.answer, Soap::WriteResponse(q.op, list.answer.record, list.entries));
    }
    case Operation::GetCompanyPhoto:
        return reply(q.op, logic.GetCompanyPhoto(q.header, q.aPhotoId, q.aFlag));
    case Operation::InsertCompanyPhoto:
        return reply(q.op, logic.InsertCompanyPhoto(q.header, q.aPicInfo));
    case Operation::UpdateCompanyPhoto:
        return reply(q.op, logic.UpdateCompanyPhoto(q.header, q.aPicInfo));
    case Operation::DeleteCompanyPhoto:
        return reply(q.op, logic.DeleteCompanyPhoto(q.header, q.aPhotoId));
    case Operation::ValidateUserLogin:
        return reply(q.op, logic.ValidateUserLogin(q.header));
    case Operation::QueryCompanyInfo:
        return reply(q.op, logic.QueryCompanyInfo(q.header));
    }
    return fault(QStringLiteral("soap:Client"), QStringLiteral("unknown operation"), QStringLiteral("?"));
}

// A text in the log line, in quotes, so that no name can pass for another part of the line.
QString quoted(const QString &text) {
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\\\"")) +
           QLatin1Char('"');
}

// Who and what a request names, for its log line: the user name of a login, the company (its
// customer ID or company ID as the header carries it) and the photo ID of a change, for an insert the
// ID the new photo got (`createdId`) and its type.
QString subject(const Soap::Request &request, const QString &createdId) {
    using Soap::Operation;
    const std::optional<CallerHeader> caller = ReadCallerHeader(request.header);
    const QString who = caller ? caller->customer : QString();
    if (request.op == Operation::ValidateUserLogin) {
        return QStringLiteral(" user ") + quoted(who);
    }
    QString text = QStringLiteral(" company ") + quoted(who);
    if (request.op == Operation::DeleteCompanyPhoto) {
        text += QStringLiteral(" photo ") + quoted(request.aPhotoId);
    } else if (request.op == Operation::UpdateCompanyPhoto) {
        text += QStringLiteral(" photo ") + quoted(request.aPicInfo.F_ID);
    } else if (request.op == Operation::InsertCompanyPhoto) {
        if (!createdId.isEmpty()) {
            text += QStringLiteral(" photo ") + quoted(createdId);
        }
        // The type as the photo types name it, not in its Base64 wire form.
        const QString &flag = request.aPicInfo.F_FLAG;
        text += QStringLiteral(" type ") + quoted(WireText::ReadBase64Text(flag).value_or(flag));
    }
    return text;
}

SoapReply answerRequest(ServiceLogic &logic, const Soap::Request &request, AccessControl *access,
                        const QHostAddress &peer) {
    const bool login = request.op == Soap::Operation::ValidateUserLogin;
    if (access && login) {
        const std::optional<CallerHeader> caller = ReadCallerHeader(request.header);
        if (const auto why = access->logins().refusal(peer, caller ? caller->customer : QString())) {
            Metrics().countRefusal(QStringLiteral("login_throttled"));
            SoapReply r = fault(QStringLiteral("soap:Client"), QStringLiteral("access refused: ") + *why,
                                Soap::OperationName(request.op));
            r.outcome = QStringLiteral("refused");
            return r;
        }
    }
    if (access) {
        if (const auto why = access->refusal(peer, request.op)) {
            Metrics().countRefusal(QStringLiteral("access"));
            SoapReply r = fault(QStringLiteral("soap:Client"), QStringLiteral("access refused: ") + *why,
                                Soap::OperationName(request.op));
            r.outcome = QStringLiteral("refused");
            return r;
        }
    }
    // A store that fails is the service's fault, not the caller's. The caller learns only that, and a
    // request number; the log line with the same number has the store's own words.
    const auto serverFault = [&](const QString &what, const QString &why) {
        const quint64 id = NextRequestId();
        SoapReply r = fault(QStringLiteral("soap:Server"),
                            QStringLiteral("%1, try again (request %2)").arg(what).arg(id),
                            Soap::OperationName(request.op));
        r.logLine += QStringLiteral(": ") + why;
        r.databaseError = true;
        r.outcome = QStringLiteral("database_error");
        return r;
    };
    for (int attempt = 0;; ++attempt) {
        try {
            SoapReply answer = dispatch(logic, request);
            if (access) {
                access->note(peer, request.op, answer.resultCode);
                if (login && answer.resultCode != QLatin1String(ResultCode::kBadHeader)) {
                    const std::optional<CallerHeader> caller = ReadCallerHeader(request.header);
                    access->logins().note(peer, caller ? caller->customer : QString(),
                                          answer.resultCode == QLatin1String(ResultCode::kSuccess));
                }
            }
            return answer;
        } catch (const DatabaseError &e) {
            // A connection lost (the database restarted) is opened again, and the request answered
            // again once when that cannot do anything twice.
            const bool reopened = logic.database().reopenIfBroken();
            if (attempt == 0 && reopened && (repeatable(request.op) || e.nothingChanged())) {
                continue;
            }
            QString why = QString::fromUtf8(e.what());
            if (const QString reopen = logic.database().reopenError(); !reopen.isEmpty()) {
                why += QStringLiteral(" (opening it again failed: %1)").arg(reopen);
            }
            Metrics().countDatabaseError();
            return serverFault(QStringLiteral("the service's database is unavailable"), why);
        } catch (const std::exception &e) {
            SoapReply r = serverFault(QStringLiteral("the service failed"), QString::fromUtf8(e.what()));
            r.databaseError = false;
            r.outcome = QStringLiteral("server_error");
            return r;
        }
    }
}

} // namespace

SoapReply AnswerSoapRequest(ServiceLogic &logic, const QByteArray &body, AccessControl *access,
                            const QHostAddress &peer) {
    const QString from = QStringLiteral(" from ") + peer.toString();
    Soap::Request request;
    try {
        request = Soap::ReadRequest(body);
    } catch (const std::exception &e) {
        SoapReply r = fault(QStringLiteral("soap:Client"), QString::fromUtf8(e.what()), QStringLiteral("?"));
        r.logLine += from;
        return r;
    }
    SoapReply reply = answerRequest(logic, request, access, peer);
    // Every entry ends in the client's address, after anything a client chose, for fail2ban's <HOST>.
    reply.logLine += subject(request, reply.createdId) + from;
    return reply;
}
