#include "PhotoSheet.h"

#include "MessageBox.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoTypeChoice.h"
#include "client/TransferControl.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { ThumbColumn, TypeColumn, NoteColumn, SizeColumn, ResultColumn, ActionColumn, ColumnCount };

constexpr int kThumbWidth = 96;
constexpr int kThumbHeight = 72;
constexpr int kNoteLength = 50; // as the photo editor's note

} // namespace

TFrm_PhotoSheet::TFrm_PhotoSheet(const QStringList &files, QWidget *parent)
    : QDialog(parent), control_(std::make_shared<TransferControl>()) {
    setObjectName(QStringLiteral("Frm_PhotoSheet"));
    setWindowTitle(QStringLiteral("添加多张照片"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    BuildLayout();
    for (const QString &file : files) {
        AddRow(file);
    }
    RefreshTypeOffers();
    UpdateButtons();
}

TFrm_PhotoSheet::~TFrm_PhotoSheet() = default;

void TFrm_PhotoSheet::BuildLayout() {
    QFont font(QStringLiteral("宋体"), 12);
    setFont(font);
    auto *layout = new QVBoxLayout(this);
    Lb_Limits = new QLabel(this);
    Lb_Limits->setObjectName(QStringLiteral("Lb_Limits"));
    if (DM_Main != nullptr) {
        Lb_Limits->setText(
            QStringLiteral("本企业最多 %1 张照片,已有 %2 张;小图不超过 %3 × %4 像素")
                .arg(DM_Main->MaxPhotoNumber)
                .arg(DM_Main->PhotoListView != nullptr ? DM_Main->PhotoListView->rowCount() : 0)
                .arg(qMax(DM_Main->ZoomWidth, PhotoWorkflow::kMinSmallWidth))
                .arg(qMax(DM_Main->ZoomHeight, PhotoWorkflow::kMinSmallHeight)));
    }
    layout->addWidget(Lb_Limits);

    Tbl_Photos = new QTableWidget(0, ColumnCount, this);
    Tbl_Photos->setObjectName(QStringLiteral("Tbl_Photos"));
    Tbl_Photos->setHorizontalHeaderLabels({QStringLiteral("照片"), QStringLiteral("照片类型"),
                                           QStringLiteral("照片描述"), QStringLiteral("发送尺寸"),
                                           QStringLiteral("结果"), QString()});
    Tbl_Photos->verticalHeader()->setVisible(false);
    Tbl_Photos->setSelectionMode(QAbstractItemView::NoSelection);
    Tbl_Photos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tbl_Photos->verticalHeader()->setDefaultSectionSize(kThumbHeight + 8);
    QHeaderView *header = Tbl_Photos->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(ThumbColumn, kThumbWidth + 8);
    header->resizeSection(TypeColumn, 170);
    header->resizeSection(NoteColumn, 180);
    header->resizeSection(SizeColumn, 430);
    header->resizeSection(ResultColumn, 220);
    header->setStretchLastSection(true);
    layout->addWidget(Tbl_Photos, 1);

    auto *bottom = new QHBoxLayout;
    Lb_Status = new QLabel(this);
    Lb_Status->setObjectName(QStringLiteral("Lb_Status"));
    Pb_Progress = new QProgressBar(this);
    Pb_Progress->setObjectName(QStringLiteral("Pb_Progress"));
    Pb_Progress->setFixedWidth(200);
    Pb_Progress->setVisible(false);
    Btn_Save = new QPushButton(QStringLiteral("保 存"), this);
    Btn_Save->setObjectName(QStringLiteral("Btn_Save"));
    Btn_Cancel = new QPushButton(QStringLiteral("取 消"), this);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    for (QPushButton *button : {Btn_Save, Btn_Cancel}) {
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setAutoDefault(false);
    }
    bottom->addWidget(Lb_Status, 1);
    bottom->addWidget(Pb_Progress);
    bottom->addWidget(Btn_Save);
    bottom->addWidget(Btn_Cancel);
    layout->addLayout(bottom);
    connect(Btn_Save, &QPushButton::clicked, this, &TFrm_PhotoSheet::Btn_SaveClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFrm_PhotoSheet::Btn_CancelClick);
    resize(1250, 460);
}

void TFrm_PhotoSheet::ShowLimits() {
    if (DM_Main == nullptr) {
        return;
    }
    Lb_Limits->setText(QStringLiteral("本企业最多 %1 张照片,已有 %2 张;小图按 %3 × %4 像素缩小")
                           .arg(DM_Main->MaxPhotoNumber)
                           .arg(DM_Main->PhotoListView != nullptr ? DM_Main->PhotoListView->rowCount() : 0)
                           .arg(qMax(DM_Main->ZoomWidth, PhotoWorkflow::kMinSmallWidth))
                           .arg(qMax(DM_Main->ZoomHeight, PhotoWorkflow::kMinSmallHeight)));
}

void TFrm_PhotoSheet::AddRow(const QString &file) {
    auto row = std::make_unique<Row>();
    Row *r = row.get();
    r->file = file;
    const int at = Tbl_Photos->rowCount();
    Tbl_Photos->insertRow(at);
    r->thumb = new QLabel;
    r->thumb->setAlignment(Qt::AlignCenter);
    r->thumb->setToolTip(QFileInfo(file).fileName());
    r->thumb->setText(QFileInfo(file).fileName());
    r->thumb->setWordWrap(true);
    r->type = new QComboBox;
    r->type->setObjectName(QStringLiteral("Cb_PhotoType"));
    r->note = new QLineEdit;
    r->note->setObjectName(QStringLiteral("Ed_PhotoNote"));
    r->note->setMaxLength(kNoteLength);
    r->sizes = new QLabel;
    r->sizes->setObjectName(QStringLiteral("Lb_Sizes"));
    r->result = new QLabel;
    r->result->setObjectName(QStringLiteral("Lb_Result"));
    r->result->setWordWrap(true);
    // In a box of its own: the table shows its cell widgets again whenever it lays them out.
    auto *actionCell = new QWidget;
    auto *actionLayout = new QHBoxLayout(actionCell);
    actionLayout->setContentsMargins(4, 4, 4, 4);
    r->action = new QPushButton(QStringLiteral("移除"), actionCell);
    r->action->setObjectName(QStringLiteral("Btn_Row"));
    r->action->setAutoDefault(false);
    actionLayout->addWidget(r->action);
    Tbl_Photos->setCellWidget(at, ThumbColumn, r->thumb);
    Tbl_Photos->setCellWidget(at, TypeColumn, r->type);
    Tbl_Photos->setCellWidget(at, NoteColumn, r->note);
    Tbl_Photos->setCellWidget(at, SizeColumn, r->sizes);
    Tbl_Photos->setCellWidget(at, ResultColumn, r->result);
    Tbl_Photos->setCellWidget(at, ActionColumn, actionCell);
    connect(r->type, &QComboBox::currentIndexChanged, this, [this] { RefreshTypeOffers(); });
    connect(r->action, &QPushButton::clicked, this, [this, r] { RowActionClick(r); });
    rows_.push_back(std::move(row));
    ShowRow(*r, RowState::Waiting);
}

int TFrm_PhotoSheet::IndexOf(const Row *row) const {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [row](const std::unique_ptr<Row> &r) { return r.get() == row; });
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

void TFrm_PhotoSheet::RefreshTypeOffers() {
    ShowLimits();
    if (DM_Main == nullptr) {
        return;
    }
    // Sent rows are in the list by now, so the unused entries leave their types out.
    const QStringList unused = PhotoTypeChoice::UnusedEntries(DM_Main->PhotoTypeList, DM_Main->PhotoListView);
    const auto holds = [](const Row &row) {
        return row.state != RowState::Sent && row.state != RowState::Unusable;
    };
    // First the choices: each row keeps its own while it is unused and no row above has it; a row
    // without one is proposed the first free type.
    std::vector<QString> choice(rows_.size());
    QStringList taken;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row &row = *rows_[i];
        const QString own = row.type->currentIndex() >= 0 ? row.type->currentText() : QString();
        if (holds(row) && unused.contains(own) && !taken.contains(own)) {
            choice[i] = own;
            taken.append(own);
        }
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!holds(*rows_[i]) || !choice[i].isEmpty()) {
            continue;
        }
        for (const QString &entry : unused) {
            if (!taken.contains(entry)) {
                choice[i] = entry;
                taken.append(entry);
                break;
            }
        }
    }
    // Then the offers: the unused types no other row holds.
    for (size_t i = 0; i < rows_.size(); ++i) {
        Row &row = *rows_[i];
        if (row.state == RowState::Sent || row.state == RowState::Kept) {
            continue; // shows the type it was sent or kept with, which no other row may take // shows the
                      // type it was sent with
        }
        QStringList offered;
        if (holds(row)) { // a photo that cannot be sent holds no type
            for (const QString &entry : unused) {
                if (entry == choice[i] || !taken.contains(entry)) {
                    offered.append(entry);
                }
            }
        }
        const QSignalBlocker quiet(row.type);
        row.type->clear();
        row.type->addItems(offered);
        row.type->setCurrentIndex(int(offered.indexOf(choice[i])));
    }
}

void TFrm_PhotoSheet::ShowRow(Row &row, RowState state, const QString &text) {
    row.state = state;
    QString shown = text;
    QString colour;
    switch (state) {
    case RowState::Waiting:
        shown = QStringLiteral("等待处理");
        break;
    case RowState::Preparing:
        shown = QStringLiteral("正在处理照片...");
        break;
    case RowState::Ready:
        shown = text.isEmpty() ? QStringLiteral("待发送") : text;
        break;
    case RowState::Unusable:
        colour = QStringLiteral("#b00000");
        break;
    case RowState::Sending:
        shown = QStringLiteral("正在发送...");
        break;
    case RowState::Sent:
        colour = QStringLiteral("#006400");
        break;
    case RowState::Refused:
        colour = QStringLiteral("#b05000");
        break;
    case RowState::Failed:
        colour = QStringLiteral("#b00000");
        break;
    case RowState::Kept:
        colour = QStringLiteral("#00008b");
        break;
    }
    row.result->setText(shown);
    row.result->setToolTip(shown);
    // By palette: a style sheet changed a second time loses the sheet's font.
    QPalette palette = Tbl_Photos->palette();
    if (!colour.isEmpty()) {
        palette.setColor(row.result->foregroundRole(), QColor(colour));
    }
    row.result->setPalette(palette);
    const bool sent = state == RowState::Sent || state == RowState::Kept;
    const bool again = state == RowState::Refused || state == RowState::Failed;
    row.action->setText(again ? QStringLiteral("重新发送") : QStringLiteral("移除"));
    row.action->setVisible(!sent);
    row.type->setEnabled(!sent && state != RowState::Unusable);
    row.note->setReadOnly(sent);
}

void TFrm_PhotoSheet::UpdateButtons() {
    bool sendable = false;
    for (const std::unique_ptr<Row> &row : rows_) {
        sendable = sendable || row->state == RowState::Ready || row->state == RowState::Refused ||
                   row->state == RowState::Failed;
        row->action->setEnabled(!busy_);
        row->type->setEnabled(!busy_ && row->state != RowState::Sent && row->state != RowState::Kept &&
                              row->state != RowState::Unusable);
    }
    Btn_Save->setEnabled(!busy_ && sendable);
    Btn_Cancel->setEnabled(!busy_ || !stopRequested_);
}

void TFrm_PhotoSheet::RowActionClick(Row *row) {
    const int at = IndexOf(row);
    if (busy_ || at < 0) {
        return;
    }
    if (row->state == RowState::Refused || row->state == RowState::Failed) {
        SendRows({row});
        return;
    }
    Tbl_Photos->removeRow(at); // deletes the row's widgets
    rows_.erase(rows_.begin() + at);
    RefreshTypeOffers();
    UpdateButtons();
}

void TFrm_PhotoSheet::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // Once the sheet is on screen, so the user sees the rows fill in.
        QTimer::singleShot(0, this, &TFrm_PhotoSheet::PrepareAll);
    }
}

void TFrm_PhotoSheet::Btn_CancelClick() {
    if (busy_) {
        stopRequested_ = true;
        Lb_Status->setText(QStringLiteral("正在停止,当前照片完成后不再继续..."));
        UpdateButtons();
        return;
    }
    QDialog::reject();
}

void TFrm_PhotoSheet::reject() {
    Btn_CancelClick();
}
