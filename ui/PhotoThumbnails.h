#pragma once
// The small versions of the listed photos as the icon view shows them. A photo's cached small
// version is read on a worker thread the first time it is asked for, scaled to the icon size and
// kept (bounded by memory), so scrolling through hundreds of photos never waits on the disk. A file
// that changes is read again; a photo whose small version is missing or unreadable has none.

#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>

class TPhotoThumbnails : public QObject {
    Q_OBJECT
public:
    static constexpr QSize kSize{160, 120};

    explicit TPhotoThumbnails(QObject *parent = nullptr);
    ~TPhotoThumbnails() override;

    // The photo's thumbnail; null while it is being read (ready() follows) and when there is none.
    QImage Thumbnail(const QString &photoId);

    // Decodes the image file at path scaled to fit kSize, upright; null when it cannot be read.
    static QImage Read(const QString &path);

signals:
    void ready(const QString &photoId);

private:
    // What identifies one content of a cache file.
    struct TStamp {
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const TStamp &) const = default;
    };
    struct TEntry {
        TStamp stamp;
        QImage image;
    };
    void Finished(const QString &photoId, const TStamp &stamp, const QImage &image);

    QCache<QString, TEntry> cache_; // cost in KB
    QSet<QString> reading_;
    QThreadPool pool_;
};
