#include "DataNetCommunication.h"

#include "ui_DataNetCommunication.h"

#include "core/FileOper.h"
#include "service/ResultCodes.h"
#include "service/UploadPictureLib.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <exception>
#include <stdexcept>

TFrm_DataNetCommunication::TFrm_DataNetCommunication(QWidget *parent)
    : TFrm_DataNetCommunication(std::make_unique<TUploadPicture>(), parent) {}

TFrm_DataNetCommunication::TFrm_DataNetCommunication(std::unique_ptr<TUploadPicture> client, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TFrm_DataNetCommunication>()), Timer(new QTimer(this)) {
    ui->setupUi(this);
    Lb_Tip = ui->Lb_Tip;
    UploadPicture = std::move(client);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TFrm_DataNetCommunication::TimerTimer);
    FormCreate();
}

TFrm_DataNetCommunication::~TFrm_DataNetCommunication() = default;

void TFrm_DataNetCommunication::FormCreate() {
    OperResult = ResultFailed;
}

void TFrm_DataNetCommunication::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    if (parentWidget() == nullptr) {
        // Without an owner window the notice goes to the middle of the window the user works in.
        const QWidget *main = QApplication::activeWindow();
        const QRect area = main != nullptr ? main->frameGeometry()
                                           : (screen() != nullptr ? screen()->availableGeometry() : QRect());
        if (area.isValid()) {
            move(area.center() - rect().center());
        }
    }
    if (!operationStarted_) {
        operationStarted_ = true; // one dialog, one call
        Timer->start();
    }
}

void TFrm_DataNetCommunication::TimerTimer() {
    Timer->stop();
    switch (OperType) {
    case OpGetCompanyPhotoList:
        GetCompanyPhotoList();
        break;
    case OpGetCompanyPhotoInfo:
        GetCompanyPhotoInfo();
        break;
    case OpInsertCompanyPhoto:
        InsertCompanyPhoto();
        break;
    case OpUpdateCompanyPhoto:
        UpdateCompanyPhoto();
        break;
    case OpDeleteCompanyPhoto:
        DeleteCompanyPhoto();
        break;
    case OpQueryCompanyInfo:
        QueryCompanyInfo();
        break;
    default:
        TFileOper::WriteLog(QStringLiteral("操作标识未知,标识:") + QString::number(OperType));
        break;
    }
    done(QDialog::Accepted);
}

template <typename Call>
void TFrm_DataNetCommunication::RunOperation(const QString &failureText, bool noCompanyCode, Call call) {
    try {
        QString code;
        call(code);
        if (code == ResultCode::kSuccess) {
            OperResult = ResultOk;
        } else if (noCompanyCode && code == ResultCode::kCompanyNotFound) {
            OperResult = ResultNoCompany;
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(failureText + QString::fromUtf8(e.what()));
    }
}

void TFrm_DataNetCommunication::GetCompanyPhotoList() {
    RunOperation(QStringLiteral("获取企业照片列表失败,函数GetCompanyPhotoList中错误:"), false,
                 [this](QString &code) { UploadPicture->Func_GetCompanyPhotoList(code); });
}

void TFrm_DataNetCommunication::GetCompanyPhotoInfo() {
    RunOperation(QStringLiteral("获取企业照片信息失败,函数GetCompanyPhotoInfo中错误:"), false,
                 [this](QString &code) { UploadPicture->Func_GetCompanyPhoto(PhotoId, PhotoFlag, code); });
}

void TFrm_DataNetCommunication::InsertCompanyPhoto() {
    RunOperation(QStringLiteral("添加企业照片信息失败,函数InsertCompanyPhoto中错误:"), false,
                 [this](QString &code) {
                     if (PicInfo == nullptr) {
                         throw std::invalid_argument("no photo record to insert");
                     }
                     UploadPicture->Func_InsertCompanyPhoto(*PicInfo, code);
                 });
}

void TFrm_DataNetCommunication::UpdateCompanyPhoto() {
    RunOperation(QStringLiteral("修改企业照片信息失败,函数UpdateCompanyPhoto中错误:"), false,
                 [this](QString &code) {
                     if (PicInfo == nullptr) {
                         throw std::invalid_argument("no photo record to update");
                     }
                     UploadPicture->Func_UpdateCompanyPhoto(*PicInfo, code);
                 });
}

void TFrm_DataNetCommunication::DeleteCompanyPhoto() {
    RunOperation(QStringLiteral("删除企业照片信息失败,函数DeleteCompanyPhoto中错误:"), false,
                 [this](QString &code) { UploadPicture->Func_DeleteCompanyPhoto(PhotoId, code); });
}

void TFrm_DataNetCommunication::QueryCompanyInfo() {
    RunOperation(QStringLiteral("查询企业信息失败,函数QueryCompanyInfo中错误:"), true,
                 [this](QString &code) { UploadPicture->Func_QueryCompanyInfo(code); });
}
