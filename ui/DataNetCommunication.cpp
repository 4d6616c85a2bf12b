#include "DataNetCommunication.h"

#include "ui_DataNetCommunication.h"

#include "MessageBox.h"

#include "core/FileOper.h"
#include "contract/ResultCodes.h"
#include "client/TransferControl.h"
#include "client/UploadPictureLib.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <exception>
#include <stdexcept>

namespace {

constexpr int kWidth = 443;
constexpr int kHeight = 43;
constexpr int kProgressRowHeight = 30;
constexpr qint64 kMegabyte = qint64(1024) * 1024;

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / double(kMegabyte), 'f', 1) + QStringLiteral(" MB");
}

// "已发送 1.2 MB / 3.4 MB" or "已接收 ..." for a transfer of more than 1 MB; empty for smaller ones.
QString transferText(const TransferProgress &p) {
    const bool answering = p.received > 0 || p.receiveTotal >= 0;
    if (answering && (p.receiveTotal > kMegabyte || p.received > kMegabyte)) {
        return QStringLiteral("已接收 ") + megabytes(p.received) +
               (p.receiveTotal > 0 ? QStringLiteral(" / ") + megabytes(p.receiveTotal) : QString());
    }
    if (!answering && p.sendTotal > kMegabyte) {
        return QStringLiteral("已发送 ") + megabytes(p.sent) + QStringLiteral(" / ") + megabytes(p.sendTotal);
    }
    return QString();
}

} // namespace

TFrm_DataNetCommunication::TFrm_DataNetCommunication(QWidget *parent)
    : TFrm_DataNetCommunication(std::make_unique<TUploadPicture>(), parent) {}

TFrm_DataNetCommunication::TFrm_DataNetCommunication(std::unique_ptr<TUploadPicture> client, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TFrm_DataNetCommunication>()), Timer(new QTimer(this)),
      CancelTimer(new QTimer(this)), control_(std::make_shared<TransferControl>()) {
    ui->setupUi(this);
    setFixedSize(kWidth, kHeight);
    Lb_Tip = ui->Lb_Tip;
    UploadPicture = std::move(client);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TFrm_DataNetCommunication::TimerTimer);
    CancelTimer->setObjectName(QStringLiteral("CancelTimer"));
    CancelTimer->setInterval(kCancelOfferMs);
    CancelTimer->setSingleShot(true);
    connect(CancelTimer, &QTimer::timeout, this, &TFrm_DataNetCommunication::CancelTimerTimer);
    connect(ui->Btn_Cancel, &QPushButton::clicked, this, &TFrm_DataNetCommunication::Btn_CancelClick);
    // The call reports on this thread, from inside its wait.
    control_->OnProgress = [this](const TransferProgress &progress) { ShowProgress(progress); };
    UploadPicture->SetTransferControl(control_);
    FormCreate();
}

TFrm_DataNetCommunication::~TFrm_DataNetCommunication() {
    control_->OnProgress = nullptr; // the control may outlive the window in the client's hands
}

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
    CancelTimer->start();
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
    CancelTimer->stop();
    // Only a cancel that reached the call counts: the client then carried out none of its steps.
    if (control_->IsCancelled() && OperResult == ResultFailed) {
        OperResult = ResultCancelled;
        TMessageBox::Information(this, CancelledNotice());
    }
    done(QDialog::Accepted);
}

void TFrm_DataNetCommunication::CancelTimerTimer() {
    ui->Btn_Cancel->setVisible(true);
    if (ChangesServer() && requestSent_) {
        ui->Btn_Cancel->setEnabled(false);
        ui->Btn_Cancel->setToolTip(QStringLiteral("请求已送达服务器,不能再取消"));
    }
    ShowProgressRow();
}

void TFrm_DataNetCommunication::Btn_CancelClick() {
    if (ChangesServer() && requestSent_) {
        return;
    }
    control_->Cancel();
    ui->Btn_Cancel->setEnabled(false);
    Lb_Tip->setText(QStringLiteral("正在取消,请稍候..."));
}

bool TFrm_DataNetCommunication::ChangesServer() const {
    return OperType == OpInsertCompanyPhoto || OperType == OpUpdateCompanyPhoto ||
           OperType == OpDeleteCompanyPhoto;
}

void TFrm_DataNetCommunication::ShowProgress(const TransferProgress &progress) {
    if (progress.sendTotal > 0 && progress.sent >= progress.sendTotal && !requestSent_) {
        requestSent_ = true;
        if (ChangesServer() && ui->Btn_Cancel->isEnabled() && !control_->IsCancelled()) {
            // The server may already act on it: stopping now could hide a change that was made.
            ui->Btn_Cancel->setEnabled(false);
            ui->Btn_Cancel->setToolTip(QStringLiteral("请求已送达服务器,不能再取消"));
        }
    }
    const QString bytes = transferText(progress);
    if (!bytes.isEmpty()) {
        ui->Lb_Bytes->setText(bytes);
        ShowProgressRow();
    }
}

void TFrm_DataNetCommunication::ShowProgressRow() {
    if (ui->Pnl_Progress->isVisible()) {
        return;
    }
    ui->Pnl_Progress->setVisible(true);
    setFixedSize(kWidth, kHeight + kProgressRowHeight);
    move(pos() - QPoint(0, kProgressRowHeight / 2)); // stays centred where it was put
}

QString TFrm_DataNetCommunication::CancelledNotice() const {
    switch (OperType) {
    case OpGetCompanyPhotoList:
        return QStringLiteral("已取消获取企业照片列表");
    case OpGetCompanyPhotoInfo:
        return QStringLiteral("已取消获取企业照片信息");
    case OpInsertCompanyPhoto:
        return QStringLiteral("已取消提交新增的照片");
    case OpUpdateCompanyPhoto:
        return QStringLiteral("已取消提交修改的照片");
    case OpDeleteCompanyPhoto:
        return QStringLiteral("已取消删除企业照片信息");
    default:
        return QStringLiteral("已取消查询企业信息");
    }
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
