#pragma once
// Turns one SOAP request body into the HTTP answer: the operation's response envelope, or a SOAP
// fault (HTTP 500) for a message that cannot be read. Nothing thrown inside leaves it.

#include "ServiceLogic.h"

#include <QByteArray>
#include <QString>

struct SoapReply {
    int httpStatus = 200;
    QByteArray body;
    QString logLine; // operation and result code, or the fault
};

SoapReply AnswerSoapRequest(ServiceLogic &logic, const QByteArray &body);
