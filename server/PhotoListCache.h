#pragma once
// The photo entries of companies' lists in their written form, kept between lists so that a list
// asked for again neither reads the photos from the database nor encodes them again. An entry holds
// only while the company's photo stamp (PhotoDatabase::photoStamp) and the company fields written
// into every entry are the ones it was made with. Bounded in bytes; the least recently used entries
// go first. Shared by the answering threads.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

#include <list>
#include <optional>

struct PhotoListKey {
    QString companyId;
    QString customerId;  // written into every entry
    QString companyType; // written into every entry
    QString stamp;
};

class PhotoListCache {
public:
    explicit PhotoListCache(qsizetype maxBytes);

    // The entries kept for exactly this key.
    std::optional<QByteArray> find(const PhotoListKey &key);
    // Keeps `entries` for the key, in place of what the company had; nothing when they alone would
    // take more than the bound.
    void store(const PhotoListKey &key, const QByteArray &entries);

private:
    struct Entry {
        PhotoListKey key;
        QByteArray entries;
    };
    using Order = std::list<Entry>; // most recently used first

    static qsizetype cost(const Entry &entry);
    void drop(Order::iterator at);

    const qsizetype maxBytes_;
    QMutex mutex_; // guards everything below
    Order order_;
    QHash<QString, Order::iterator> byCompany_;
    qsizetype bytes_ = 0;
};
