#pragma once
// The HTTP face of the service: POST /PictureService.asmx carries SOAP requests, GET
// /PictureService.asmx?wsdl returns the WSDL; every other path or method gets a plain HTTP error.

#include <QAbstractHttpServer>

class AccessControl;
class ServiceLogic;

class PhotoHttpServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    // `logic` and `access` (if given) must outlive the server.
    explicit PhotoHttpServer(ServiceLogic &logic, AccessControl *access = nullptr, QObject *parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    bool answer(const QHttpServerRequest &request, QTcpSocket *socket, bool close);

    ServiceLogic &logic_;
    AccessControl *access_;
};
