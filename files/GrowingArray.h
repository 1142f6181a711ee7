#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "MappedMemory.h"
#include "SpillFile.h"

// An append-only sequence that one thread fills while other threads read the
// part already published. Elements live in blocks that never move, so a
// reader needs no lock: whatever it reads below Published() was written
// before the Publish() that made it visible and is never written again.
//
// T must be trivially copyable (blocks are raw memory, MappedMemory). The
// blocks come from anonymous memory, or from a report's SpillFile when one is
// given (so that the array's memory does not grow with it).
template <class T>
class GrowingArray {
public:
    static constexpr std::size_t kBlockBits = 14;
    static constexpr std::size_t kBlock = std::size_t(1) << kBlockBits;
    // A billion elements; the table of blocks is allocated zero-filled and
    // costs memory only for the blocks in use.
    static constexpr std::size_t kMaxBlocks = std::size_t(1) << 16;

    GrowingArray() = default;
    explicit GrowingArray(std::shared_ptr<SpillFile> spill) : spill_(std::move(spill)) {}
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;
    GrowingArray(GrowingArray&& other) noexcept { Take(other); }
    GrowingArray& operator=(GrowingArray&& other) noexcept {
        if (this != &other) {
            Free();
            Take(other);
        }
        return *this;
    }
    ~GrowingArray() { Free(); }

    // Writer: appends one element (not yet visible to readers). Throws
    // std::bad_alloc when memory or the table runs out, and what
    // SpillFile::Take throws; the array stays as it was.
    void PushBack(const T& value) {
        const std::size_t offset = size_ & (kBlock - 1);
        if (offset == 0) AddBlock();
        blocks_[size_ >> kBlockBits][offset] = value;
        ++size_;
    }
    // Writer: makes every element appended so far visible to readers.
    void Publish() { published_.store(size_, std::memory_order_release); }
    // Writer: the elements appended so far, published or not.
    std::size_t Size() const { return size_; }
    // Writer: an element appended but perhaps not yet published.
    T& At(std::size_t index) { return blocks_[index >> kBlockBits][index & (kBlock - 1)]; }

    // Any thread: the elements it may read.
    std::size_t Published() const { return published_.load(std::memory_order_acquire); }
    const T& operator[](std::size_t index) const {
        return blocks_[index >> kBlockBits][index & (kBlock - 1)];
    }

private:
    void AddBlock() {
        if (!blocks_) blocks_ = static_cast<T**>(MappedMemory::Take(kMaxBlocks * sizeof(T*)));
        const std::size_t block = size_ >> kBlockBits;
        if (block >= kMaxBlocks) throw std::bad_alloc();
        void* taken =
            spill_ ? spill_->Take(kBlock * sizeof(T)) : MappedMemory::Take(kBlock * sizeof(T));
        blocks_[block] = static_cast<T*>(taken);
    }
    void Free() {
        if (!blocks_) return;
        for (std::size_t b = 0; b < kMaxBlocks && blocks_[b]; ++b) {
            if (spill_)
                spill_->Give(blocks_[b], kBlock * sizeof(T));
            else
                MappedMemory::Give(blocks_[b], kBlock * sizeof(T));
        }
        MappedMemory::Give(blocks_, kMaxBlocks * sizeof(T*));
        blocks_ = nullptr;
    }
    void Take(GrowingArray& other) {
        spill_ = std::move(other.spill_);
        blocks_ = std::exchange(other.blocks_, nullptr);
        size_ = std::exchange(other.size_, 0);
        published_.store(other.published_.exchange(0));
    }

    std::shared_ptr<SpillFile> spill_;  // kept while its blocks are
    T** blocks_ = nullptr;
    std::size_t size_ = 0;
    std::atomic<std::size_t> published_{0};
};
