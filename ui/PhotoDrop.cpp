#include "PhotoDrop.h"

#include "client/PhotoWorkflow.h"
#include "core/FileOper.h"
#include "core/SysOper.h"
#include "imaging/ExifOrientation.h"
#include "imaging/ImgOper.h"
#include "imaging/QtImageFormats.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <exception>

namespace PhotoDrop {

namespace {

constexpr int kPastedQuality = 95;

} // namespace

QString OneAtATimeText() {
    return QStringLiteral("一次只能添加一张照片,请只拖入一个照片文件");
}

QString NoCompanyText() {
    return QStringLiteral("请先查询企业信息,再添加照片");
}

QString NoImageText() {
    return QStringLiteral("剪贴板中没有照片");
}

TPhotoData Read(const QMimeData *data) {
    TPhotoData read;
    if (data == nullptr) {
        return read;
    }
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile()) {
            read.files.append(url.toLocalFile());
        }
    }
    if (read.files.isEmpty() && data->hasImage()) {
        read.image = qvariant_cast<QImage>(data->imageData());
    }
    return read;
}

TPhotoPath PhotoPath(const TPhotoData &data) {
    TPhotoPath chosen;
    if (data.files.size() > 1) {
        chosen.refusal = OneAtATimeText();
        return chosen;
    }
    chosen.warning = true;
    chosen.path = data.files.value(0);
    if (chosen.path.isEmpty()) {
        QString error;
        chosen.path = SavePastedImage(data.image, error);
        if (chosen.path.isEmpty()) {
            TFileOper::WriteLog(QStringLiteral("保存粘贴的照片失败:") + error);
            chosen.refusal = QStringLiteral("保存粘贴的照片失败");
            return chosen;
        }
        chosen.workingFile = true;
    }
    chosen.refusal = FileProblem(chosen.path);
    if (!chosen.refusal.isEmpty()) {
        if (chosen.workingFile) {
            QFile::remove(chosen.path);
        }
        chosen.path.clear();
        chosen.workingFile = false;
    }
    return chosen;
}

QString FileProblem(const QString &path) {
    // Asked with a type and a note given, so only the file can be refused.
    const PhotoWorkflow::TInputProblem problem =
        PhotoWorkflow::CheckPhotoInput(PhotoWorkflow::EditMode::Add, path, true, QStringLiteral("-"));
    return problem.input == PhotoWorkflow::Input::PhotoPath ? problem.text : QString();
}

QString SavePastedImage(const QImage &image, QString &error) {
    if (image.isNull()) {
        error = QStringLiteral("no image");
        return {};
    }
    try {
        QString path = TSysOper::GetAppPath() + QLatin1String(kPastedFileName);
        if (TImgOper::SaveImgInfo(path, ImageToJpeg(image, ExifOrientation::kNormal, kPastedQuality),
                                  &error)) {
            return path;
        }
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace PhotoDrop
