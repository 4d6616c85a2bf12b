#include "MainDataModule.h"

#include "PhotoCache.h"
#include "PhotoSession.h"
#include "ServerTransport.h"
#include "core/FileOper.h"
#include "core/Notifier.h"
#include "core/StrOper.h"
#include "core/SysOper.h"
#include "protect/MoradesLib.h"

#include <QDir>

#include <exception>

TDM_Main *DM_Main = nullptr;

TDM_Main::TDM_Main() : Session_(std::make_unique<TPhotoSession>(*this)) {
    DM_Main = this;
    DataModuleCreate();
}

TDM_Main::~TDM_Main() {
    DataModuleDestroy();
    if (DM_Main == this) {
        DM_Main = nullptr;
    }
}

void TDM_Main::DataModuleCreate() {
    try {
        CurrentCompany = std::make_unique<TCurrentCompany>();
        AppPath = TSysOper::GetAppPath();
        const QString cacheFolder = PhotoCache::Folder();
        if (!Func_ReadConfigInfo()) {
            TNotifier::Current().Warn(QStringLiteral("读取配置信息失败,无法启动程序"));
            TerminateRequested = true;
            return;
        }
        PhotoTypeList.clear();
        if (!QDir(cacheFolder).exists()) {
            QDir().mkdir(cacheFolder);
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("初始化DM_Main模块失败,错误:") + QString::fromUtf8(e.what()));
    }
}

void TDM_Main::DataModuleDestroy() {
    CurrentCompany.reset();
    PhotoTypeList.clear();
}

bool TDM_Main::Func_ReadConfigInfo() {
    const QString appPath = TSysOper::GetAppPath();
    return ReadConfigFile(appPath, ServerIP, ServerPort) &&
           ServerTransport::Read(appPath, ServerScheme, ServerCaFile);
}

bool TDM_Main::ReadConfigFile(const QString &appPath, QString &ip, QString &port) {
    try {
        const QString path = appPath + QStringLiteral("PictureConfig/Config.ini");
        const QString section = QStringLiteral("UploadConfig");
        const auto decode = [&](const QString &key) {
            const QString hex = TFileOper::ReadIniFile(path, section, key);
            return TStrOper::DecodeBase64(QString::fromLatin1(MoradesLib::DesDecryptHex(hex)));
        };
        ip = decode(QStringLiteral("IP"));
        port = decode(QStringLiteral("Port"));
        return true;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("读取系统配置文件失败,Func_ReadConfigInfo中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return false;
}
