#include "PhotoListCache.h"

namespace {

bool same(const PhotoListKey &a, const PhotoListKey &b) {
    return a.stamp == b.stamp && a.companyId == b.companyId && a.customerId == b.customerId &&
           a.companyType == b.companyType;
}

} // namespace

PhotoListCache::PhotoListCache(qsizetype maxBytes) : maxBytes_(maxBytes) {}

qsizetype PhotoListCache::cost(const Entry &entry) {
    return entry.entries.size() + 256; // the key and the bookkeeping count too
}

void PhotoListCache::drop(Order::iterator at) {
    bytes_ -= cost(*at);
    byCompany_.remove(at->key.companyId);
    order_.erase(at);
}

std::optional<QByteArray> PhotoListCache::find(const PhotoListKey &key) {
    const QMutexLocker lock(&mutex_);
    const auto found = byCompany_.constFind(key.companyId);
    if (found == byCompany_.constEnd() || !same((*found)->key, key)) {
        return std::nullopt;
    }
    order_.splice(order_.begin(), order_, *found);
    return order_.front().entries;
}

void PhotoListCache::store(const PhotoListKey &key, const QByteArray &entries) {
    const QMutexLocker lock(&mutex_);
    if (const auto found = byCompany_.constFind(key.companyId); found != byCompany_.constEnd()) {
        drop(*found);
    }
    Entry entry{key, entries};
    if (cost(entry) > maxBytes_) {
        return;
    }
    bytes_ += cost(entry);
    order_.push_front(std::move(entry));
    byCompany_.insert(key.companyId, order_.begin());
    while (bytes_ > maxBytes_) {
        drop(std::prev(order_.end()));
    }
}
