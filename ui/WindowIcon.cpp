#include "WindowIcon.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <thread>

namespace {

// Reads the image on its own thread; the icon is made and set on the GUI thread, where pixmaps live.
class TWindowIconReader : public QObject {
public:
    TWindowIconReader(const QString &path, QObject *parent) : QObject(parent) {
        reader_ = std::thread([this, path] {
            image_ = QImage(path);
            // Posting the call orders the write above before its read on the GUI thread.
            QMetaObject::invokeMethod(this, &TWindowIconReader::setIcon, Qt::QueuedConnection);
        });
    }
    TWindowIconReader(const TWindowIconReader &) = delete;
    TWindowIconReader &operator=(const TWindowIconReader &) = delete;
    ~TWindowIconReader() override { reader_.join(); }

private:
    void setIcon() { QApplication::setWindowIcon(QIcon(QPixmap::fromImage(image_))); }

    QImage image_;
    std::thread reader_;
};

} // namespace

void SetWindowIconWhenRead(QApplication &app, const QString &path) {
    new TWindowIconReader(path, &app);
}
