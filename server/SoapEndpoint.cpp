#include "SoapEndpoint.h"

#include "contract/SoapCodec.h"

#include <exception>

namespace {

template <typename Record>
SoapReply reply(Soap::Operation op, const Answer<Record> &answer, QByteArrayList body) {
    SoapReply r;
    r.body = std::move(body);
    r.resultCode = answer.record.F_OPERRESULT;
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
    return r;
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

} // namespace

SoapReply AnswerSoapRequest(ServiceLogic &logic, const QByteArray &body, AccessControl *access,
                            const QHostAddress &peer) {
    Soap::Request request;
    try {
        request = Soap::ReadRequest(body);
    } catch (const std::exception &e) {
        return fault(QStringLiteral("soap:Client"), QString::fromUtf8(e.what()), QStringLiteral("?"));
    }
    if (access) {
        if (const auto why = access->refusal(peer, request.op)) {
            return fault(QStringLiteral("soap:Client"), QStringLiteral("access refused: ") + *why,
                         Soap::OperationName(request.op));
        }
    }
    try {
        SoapReply answer = dispatch(logic, request);
        if (access) {
            access->note(peer, request.op, answer.resultCode);
        }
        return answer;
    } catch (const std::exception &e) {
        // A store that fails is the service's fault, not the caller's.
        return fault(QStringLiteral("soap:Server"), QString::fromUtf8(e.what()),
                     Soap::OperationName(request.op));
    }
}
