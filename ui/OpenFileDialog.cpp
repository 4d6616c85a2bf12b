#include "OpenFileDialog.h"

#include "DialogFrame.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace {

TOpenFileDialog::Chooser &chooser() {
    static TOpenFileDialog::Chooser scripted;
    return scripted;
}

// The dialog's size, type and date columns in Chinese: Qt's own Chinese translation has no word for a
// folder, and the file system model writes sizes and dates in the system's locale, which may be English.
class ChineseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override {
        constexpr int kSizeColumn = 1;
        constexpr int kTypeColumn = 2;
        constexpr int kDateColumn = 3;
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || index.column() < kSizeColumn ||
            index.column() > kDateColumn) {
            return QIdentityProxyModel::data(index, role);
        }
        const QFileInfo info = files->fileInfo(mapToSource(index));
        if (index.column() == kSizeColumn) {
            return info.isDir() ? QString() : sizeText(info.size());
        }
        if (index.column() == kTypeColumn) {
            if (info.isDir()) {
                return QStringLiteral("文件夹");
            }
            return info.suffix().isEmpty() ? QStringLiteral("文件")
                                           : info.suffix().toUpper() + QStringLiteral(" 文件");
        }
        return QLocale(QLocale::Chinese, QLocale::China)
            .toString(info.lastModified(), QStringLiteral("yyyy/M/d HH:mm"));
    }

private:
    static QString sizeText(qint64 bytes) {
        constexpr double kKilo = 1024.0;
        if (bytes < 1024) {
            return QStringLiteral("%1 字节").arg(bytes);
        }
        if (bytes < 1024 * 1024) {
            return QStringLiteral("%1 KB").arg(double(bytes) / kKilo, 0, 'f', 1);
        }
        return QStringLiteral("%1 MB").arg(double(bytes) / kKilo / kKilo, 0, 'f', 1);
    }
};

QStringList askForFiles(QWidget *parent, const QString &title, const QStringList &filters, bool several) {
    if (chooser()) {
        return chooser()(title, filters);
    }
    QFileDialog dialog(parent, title, QString(), filters.join(QStringLiteral(";;")));
    dialog.setOption(QFileDialog::DontUseNativeDialog); // Qt's own, so that its columns can be ours
    DialogFrame::Apply(&dialog);
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    dialog.resize(760, 480);
    if (auto *details = dialog.findChild<QTreeView *>()) {
        details->header()->resizeSection(3, 150); // room for the whole date
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

} // namespace

QString TOpenFileDialog::GetOpenFileName(QWidget *parent, const QString &title, const QStringList &filters) {
    return askForFiles(parent, title, filters, false).value(0);
}

QStringList TOpenFileDialog::GetOpenFileNames(QWidget *parent, const QString &title,
                                              const QStringList &filters) {
    return askForFiles(parent, title, filters, true);
}

void TOpenFileDialog::SetChooser(Chooser scripted) {
    chooser() = std::move(scripted);
}
