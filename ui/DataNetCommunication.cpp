#include "DataNetCommunication.h"

#include "ui_DataNetCommunication.h"

#include "MessageBox.h"

#include "client/MainDataModule.h"
#include "client/TransferControl.h"
#include "contract/ResultCodes.h"
#include "core/FileOper.h"

#include <QApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include <exception>
#include <stdexcept>

namespace {

constexpr int kWidth = 443;
constexpr int kHeight = 43;
constexpr int kProgressRowHeight = 30;
constexpr qint64 kMegabyte = qint64(1024) * 1024;
const QString kTooLateToCancel = QStringLiteral("请求已全部发出,服务器可能已在处理,不能再取消");
// A transfer above this shows its bytes: a photo sent over a slow link takes seconds.
constexpr qint64 kShownFrom = qint64(256) * 1024;

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / double(kMegabyte), 'f', 1) + QStringLiteral(" MB");
}

// The larger side of a transfer so far.
qint64 transferBytes(const TransferProgress &p) {
    return qMax(qMax(p.sendTotal, p.receiveTotal), p.received);
}

// "已发送 0.4 MB / 0.9 MB" or "已接收 ..." for a transfer of more than kShownFrom; empty for smaller ones.
QString transferText(const TransferProgress &p) {
    const bool answering = p.received > 0 || p.receiveTotal >= 0;
    if (answering && (p.receiveTotal > kShownFrom || p.received > kShownFrom)) {
        return QStringLiteral("已接收 ") + megabytes(p.received) +
               (p.receiveTotal > 0 ? QStringLiteral(" / ") + megabytes(p.receiveTotal) : QString());
    }
    if (!answering && p.sendTotal > kShownFrom) {
        return QStringLiteral("已发送 ") + megabytes(p.sent) + QStringLiteral(" / ") + megabytes(p.sendTotal);
    }
    return QString();
}

} // namespace

TFrm_DataNetCommunication::TFrm_DataNetCommunication(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TFrm_DataNetCommunication>()), Timer(new QTimer(this)),
      CancelTimer(new QTimer(this)), control_(std::make_shared<TransferControl>()) {
    ui->setupUi(this);
    setFixedSize(kWidth, kHeight);
    Lb_Tip = ui->Lb_Tip;
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TFrm_DataNetCommunication::TimerTimer);
    CancelTimer->setObjectName(QStringLiteral("CancelTimer"));
    CancelTimer->setInterval(kCancelOfferMs);
    CancelTimer->setSingleShot(true);
    connect(CancelTimer, &QTimer::timeout, this, &TFrm_DataNetCommunication::CancelTimerTimer);
    connect(ui->Btn_Cancel, &QPushButton::clicked, this, &TFrm_DataNetCommunication::Btn_CancelClick);
    // The operation reports on this thread, from inside its waits.
    control_->OnProgress = [this](const TransferProgress &progress) { ShowProgress(progress); };
    control_->OnStage = [this](const QString &notice) {
        if (!control_->IsCancelled()) {
            Lb_Tip->setText(notice);
        }
    };
    FormCreate();
}

TFrm_DataNetCommunication::~TFrm_DataNetCommunication() {
    // The control may outlive the window in the client's hands.
    control_->OnProgress = nullptr;
    control_->OnStage = nullptr;
}

TOperationResult TFrm_DataNetCommunication::Run(QWidget *parent, const QString &notice, bool changesServer,
                                                const Operation &operation) {
    TFrm_DataNetCommunication runner(parent);
    runner.Lb_Tip->setText(notice);
    runner.ChangesServer = changesServer;
    runner.Operate = operation;
    runner.exec();
    return runner.Result;
}

void TFrm_DataNetCommunication::FormCreate() {
    Result = TOperationResult();
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
    try {
        if (!Operate || DM_Main == nullptr) {
            throw std::invalid_argument("no operation to run");
        }
        TPhotoSession &session = DM_Main->Session();
        session.SetControl(control_);
        const auto detach = qScopeGuard([&session] { session.SetControl(nullptr); });
        Result = Operate(session);
    } catch (const std::exception &e) {
        // Operations let no exception out; a caller that handed none gets a failure and a log line.
        TFileOper::WriteLog(QStringLiteral("运行操作失败,TimerTimer中错误:") + QString::fromUtf8(e.what()));
        Result = TOperationResult();
        Result.code = ResultCode::kNoAnswer;
    }
    CancelTimer->stop();
    if (Result.cancelled) {
        // Only a cancel that reached the operation counts: it then carried out none of its steps.
        TMessageBox::Information(this, Result.message);
    }
    done(QDialog::Accepted);
}

void TFrm_DataNetCommunication::CancelTimerTimer() {
    ui->Btn_Cancel->setVisible(true);
    if (ChangesServer && requestSent_) {
        ui->Btn_Cancel->setEnabled(false);
        ui->Btn_Cancel->setToolTip(kTooLateToCancel);
    }
    ShowProgressRow();
}

void TFrm_DataNetCommunication::Btn_CancelClick() {
    if (ChangesServer && requestSent_) {
        return;
    }
    control_->Cancel();
    ui->Btn_Cancel->setEnabled(false);
    Lb_Tip->setText(QStringLiteral("正在取消,请稍候..."));
}

void TFrm_DataNetCommunication::ShowProgress(const TransferProgress &progress) {
    if (progress.sendTotal > 0 && progress.sent >= progress.sendTotal && !requestSent_) {
        requestSent_ = true;
        if (ChangesServer) {
            // The server may already act on it: stopping now could hide a change that was made, so the
            // call runs to its answer, which tells what the server did.
            ui->Btn_Cancel->setEnabled(false);
            ui->Btn_Cancel->setToolTip(kTooLateToCancel);
            if (control_->IsCancelled()) {
                Lb_Tip->setText(QStringLiteral("请求已全部发出,不能再取消,正在等待服务器的回答..."));
            }
        }
    }
    const QString bytes = transferText(progress);
    if (!bytes.isEmpty()) {
        ui->Lb_Bytes->setText(bytes);
        // A transfer of a megabyte or more shows its row at once; a smaller one with the cancel, so
        // that a quick one does not make the window jump.
        if (ui->Btn_Cancel->isVisible() || transferBytes(progress) > kMegabyte) {
            ShowProgressRow();
        }
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
