#pragma once
// The data module: the one store of state that outlives a window. Server address, the login, the
// company being worked on, the limits and types of its photo list, and the program folder. Every
// part reads and writes these fields directly through DM_Main.

#include <QString>
#include <QStringList>

#include <memory>

class TPhotoListModel;
class TPhotoSession;

// Which identity the next request header carries (see HeaderFields.h). Only the session and the login
// dialog's creation choose it.
enum class TOperationKind { Login = 0, CompanyQuery = 1, Photo = 2 };

// Identity of the company whose photos are being worked on, as the company query returned it.
struct TCurrentCompany {
    QString DeviceId;
    QString SoftwareId;
    QString CustomerId;
    QString CompanyType;
    QString CompanyName;
};

class TDM_Main {
public:
    // Creating the module runs DataModuleCreate; the instance becomes DM_Main until destroyed.
    TDM_Main();
    ~TDM_Main();
    TDM_Main(const TDM_Main &) = delete;
    TDM_Main &operator=(const TDM_Main &) = delete;

    bool Func_ReadConfigInfo();

    // Decodes the configuration of the program folder appPath into ip and port exactly as start-up
    // does; false (and a log line) when a value is not hex. A value read before the failure stays.
    static bool ReadConfigFile(const QString &appPath, QString &ip, QString &port);

    std::unique_ptr<TCurrentCompany> CurrentCompany;
    QString ServerIP;
    QString ServerPort;
    QString ServerScheme = QStringLiteral("http"); // "https": TLS, checked against ServerCaFile or the system
    QString ServerCaFile;                          // PictureConfig/ServerCA.pem when present
    int MaxPhotoNumber = 0;
    TPhotoListModel *PhotoListView = nullptr; // not owned: the main window's photo list
    QStringList PhotoTypeList;
    int ZoomHeight = 0;
    int ZoomWidth = 0;
    QString UserName;
    QString UserPass;
    bool LoginOk = false;
    TOperationKind OperationKind = TOperationKind::Login;
    QString CompanyId;
    QString AppPath;

    // Set when the configuration could not be decoded: the front end must end without a login.
    bool TerminateRequested = false;

    // The operations on this state (login, query, fetch, add, edit, delete).
    TPhotoSession &Session() { return *Session_; }

private:
    std::unique_ptr<TPhotoSession> Session_;

    void DataModuleCreate();
    void DataModuleDestroy();
};

// The single data module instance; null before creation and after destruction.
extern TDM_Main *DM_Main;
