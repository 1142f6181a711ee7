#include "PageCache.h"

#include <algorithm>

const QImage& PageCache::Image(int page, const std::function<QImage()>& paint) {
    const auto found = std::find_if(cached_.begin(), cached_.end(), [page](const Cached& c) { return c.page == page; });
    if (found != cached_.end()) {
        cached_.splice(cached_.begin(), cached_, found);
        return cached_.front().image;
    }
    cached_.push_front({page, paint()});
    ++painted_;
    if (cached_.size() > capacity_) cached_.pop_back();
    return cached_.front().image;
}
