#pragma once

#include <QImage>
#include <cstddef>
#include <functional>
#include <list>

// Painted pages kept for reuse within a bound: the `capacity` last used, so
// that memory stays the same for ten pages or twenty thousand. The preview's
// pages and its thumbnails each keep theirs.
class PageCache {
public:
    explicit PageCache(std::size_t capacity) : capacity_(capacity) {}

    // Page `page`'s image: the one kept, or else what `paint` makes, kept in
    // place of the one least recently used.
    const QImage& Image(int page, const std::function<QImage()>& paint);
    void Clear() { cached_.clear(); }
    // Images made by `paint` since the cache was made.
    int Painted() const { return painted_; }

private:
    struct Cached {
        int page;
        QImage image;
    };

    std::size_t capacity_;
    std::list<Cached> cached_;  // most recently used first
    int painted_ = 0;
};
