#pragma once
// The WSDL 1.1 description (document/literal wrapped) of the service as this server speaks it: the
// seven operations, the SOAP header "Header" and the records, so that standard SOAP tools can call it.

#include <QByteArray>
#include <QString>

// `location` is the endpoint URL written into the service's address element.
QByteArray BuildWsdl(const QString &location);
