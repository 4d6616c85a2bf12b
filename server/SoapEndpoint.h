#pragma once
// Turns one SOAP request body into the HTTP answer: the operation's response envelope, or a SOAP
// fault (HTTP 500) for a message that cannot be read. Nothing thrown inside leaves it.

#include "AccessControl.h"
#include "ServiceLogic.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

struct SoapReply {
    int httpStatus = 200;
    QByteArrayList body;        // pieces sent one after the other, so that kept pieces need no copy
    QString logLine;            // operation and result code, or the fault
    QString resultCode;         // F_OPERRESULT of an answer; empty for a fault
    bool databaseError = false; // a fault because the database failed
    QString operation;          // the operation's name, "?" when the message could not be read
    QString outcome;            // resultCode, or "fault", "refused", "database_error", "server_error"
    QString createdId;          // the ID of the photo an insert added
};

// A database that fails is answered with a short soap:Server fault naming a request number (the log
// line has the database's text); a lost connection is opened again and a request that cannot change
// anything twice is answered again once.
// With `access`, company operations from `peer` are answered only as it allows (a SOAP fault
// otherwise), and every answer is noted for it.
SoapReply AnswerSoapRequest(ServiceLogic &logic, const QByteArray &body, AccessControl *access = nullptr,
                            const QHostAddress &peer = {});
