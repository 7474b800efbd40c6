#pragma once

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace tl
{

// The contents of a GapVector as they were at one moment, copied a page at a time: by whoever
// reads them, on any thread, and by the vector itself just before it overwrites a page not yet
// copied. Taking one costs the editing thread only the pages its next edits touch, never a copy
// of the whole; storage the vector lets go (grown, replaced, destroyed) is kept for the reader.
template <class T> class GapCopy
{
public:
    using size_type = std::ptrdiff_t;
    // 32 KB of storage: copied in microseconds, so an edit never waits long for a reader.
    static constexpr size_type kPage = 32768 / sizeof(T);

    GapCopy(const T* body, size_type bodySize, size_type gapStart, size_type gapLength)
        : body_(body), bodySize_(bodySize), gapStart_(gapStart), gapLength_(gapLength),
          out_(std::make_unique_for_overwrite<T[]>(size_t(bodySize - gapLength))),
          copied_(size_t((bodySize + kPage - 1) / kPage), false), left_(copied_.size())
    {
    }
    GapCopy(const GapCopy&) = delete;
    GapCopy& operator=(const GapCopy&) = delete;

    size_type size() const { return bodySize_ - gapLength_; }
    // The contents, copying what is left first. Valid while this object lives.
    const T* data()
    {
        copyPages(0, bodySize_);
        return out_.get();
    }
    bool done() const { return left_.load(std::memory_order_acquire) == 0; }

    // Copies the pages holding body[from, to) that are not copied yet.
    void copyPages(size_type from, size_type to)
    {
        if (from >= to || done())
            return;
        const size_type last = std::min((to - 1) / kPage, size_type(copied_.size()) - 1);
        for (size_type p = std::max<size_type>(from, 0) / kPage; p <= last; ++p) {
            // One page at a time: an edit waiting for a page waits for one page's copy at most,
            // never for a reader's whole pass.
            std::lock_guard guard(mutex_);
            if (copied_[size_t(p)])
                continue;
            copyPage(p);
            copied_[size_t(p)] = true;
            left_.fetch_sub(1, std::memory_order_release);
        }
    }

    // The vector lets go of the storage this copy reads from: it stays alive for it.
    void keep(std::shared_ptr<const std::vector<T>> storage) { kept_ = std::move(storage); }

private:
    void copyPage(size_type p)
    {
        const size_type from = p * kPage;
        const size_type to = std::min(from + kPage, bodySize_);
        const size_type gapEnd = gapStart_ + gapLength_;
        if (from < gapStart_) {
            const size_type end = std::min(to, gapStart_);
            std::memcpy(out_.get() + from, body_ + from, size_t(end - from) * sizeof(T));
        }
        if (to > gapEnd) {
            const size_type start = std::max(from, gapEnd);
            std::memcpy(out_.get() + start - gapLength_, body_ + start,
                        size_t(to - start) * sizeof(T));
        }
    }

    const T* body_;
    const size_type bodySize_;
    const size_type gapStart_;
    const size_type gapLength_;
    std::unique_ptr<T[]> out_;
    std::mutex mutex_;
    std::vector<bool> copied_; // by page, under mutex_
    std::atomic<size_t> left_;
    std::shared_ptr<const std::vector<T>> kept_;
};

// A vector with a movable gap: inserting or erasing near the last edit costs only the size of
// the change, and a far edit one memmove. Edits in a text cluster around the caret, so this keeps
// typing on a 20 MB page as cheap as on a small one. T must be trivially copyable.
template <class T> class GapVector
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    using size_type = std::ptrdiff_t;

    GapVector() = default;
    GapVector(const GapVector& other)
        : body_(other.body_), gapStart_(other.gapStart_), gapLength_(other.gapLength_)
    {
    }
    GapVector& operator=(const GapVector& other)
    {
        if (this != &other) {
            letGo();
            body_ = other.body_;
            gapStart_ = other.gapStart_;
            gapLength_ = other.gapLength_;
        }
        return *this;
    }
    GapVector(GapVector&&) = default;
    GapVector& operator=(GapVector&& other)
    {
        if (this != &other) {
            letGo();
            body_ = std::move(other.body_);
            copies_ = std::move(other.copies_);
            gapStart_ = std::exchange(other.gapStart_, 0);
            gapLength_ = std::exchange(other.gapLength_, 0);
        }
        return *this;
    }
    ~GapVector() { letGo(); }

    size_type size() const { return size_type(body_.size()) - gapLength_; }
    bool empty() const { return size() == 0; }

    // Every index and range below is checked in the test build (Q_ASSERT): a bad position is
    // caught where it is made, not three calls later.
    T at(size_type i) const
    {
        Q_ASSERT(i >= 0 && i < size());
        return i < gapStart_ ? body_[size_t(i)] : body_[size_t(i + gapLength_)];
    }
    T& ref(size_type i)
    {
        Q_ASSERT(i >= 0 && i < size());
        const size_type at = i < gapStart_ ? i : i + gapLength_;
        beforeWrite(at, at + 1);
        return body_[size_t(at)];
    }

    // Replaces the contents, leaving a gap of `slack` elements at the end.
    void assign(const T* data, size_type n, size_type slack = 0)
    {
        std::vector<T> fresh;
        fresh.reserve(size_t(n + slack));
        fresh.insert(fresh.end(), data, data + n);
        fresh.resize(size_t(n + slack));
        letGo();
        body_.swap(fresh);
        gapStart_ = n;
        gapLength_ = slack;
    }

    // Takes over a buffer whose first n elements are the contents.
    void adopt(std::vector<T>&& body, size_type n)
    {
        Q_ASSERT(n >= 0 && size_t(n) <= body.size());
        letGo();
        body_ = std::move(body);
        gapStart_ = n;
        gapLength_ = size_type(body_.size()) - n;
    }

    void clear()
    {
        letGo();
        body_.clear();
        gapStart_ = gapLength_ = 0;
    }

    void insert(size_type pos, const T* data, size_type n)
    {
        Q_ASSERT(pos >= 0 && pos <= size());
        if (n <= 0)
            return;
        makeRoom(pos, n);
        beforeWrite(pos, pos + n);
        std::memcpy(body_.data() + pos, data, size_t(n) * sizeof(T));
        gapStart_ += n;
        gapLength_ -= n;
    }

    void insertValue(size_type pos, T value)
    {
        Q_ASSERT(pos >= 0 && pos <= size());
        makeRoom(pos, 1);
        beforeWrite(pos, pos + 1);
        body_[size_t(pos)] = value;
        ++gapStart_;
        --gapLength_;
    }

    void erase(size_type pos, size_type n)
    {
        Q_ASSERT(pos >= 0 && n >= 0 && pos + n <= size());
        if (n <= 0)
            return;
        if (pos == 0 && n == size()) {
            gapStart_ = 0;
            gapLength_ = size_type(body_.size());
            return;
        }
        moveGap(pos);
        gapLength_ += n;
    }

    // Copies [pos, pos + n) into out.
    void copy(size_type pos, size_type n, T* out) const
    {
        Q_ASSERT(pos >= 0 && n >= 0 && pos + n <= size());
        if (n <= 0)
            return;
        const size_type before = std::clamp<size_type>(gapStart_ - pos, 0, n);
        std::memcpy(out, body_.data() + pos, size_t(before) * sizeof(T));
        std::memcpy(out + before, body_.data() + pos + before + gapLength_,
                    size_t(n - before) * sizeof(T));
    }

    // A pointer to [pos, pos + n) as one run, moving the gap out of the way when it splits it.
    // The pointer is valid until the next call that moves the gap: any edit, and any later
    // contiguous() call whose range the gap splits.
    const T* contiguous(size_type pos, size_type n)
    {
        Q_ASSERT(pos >= 0 && n >= 0 && pos + n <= size());
        if (pos + n <= gapStart_)
            return body_.data() + pos;
        if (pos >= gapStart_)
            return body_.data() + pos + gapLength_;
        moveGap(pos + n);
        return body_.data() + pos;
    }

    size_t capacityBytes() const { return body_.capacity() * sizeof(T); }

    // The contents as they are now, for a reader on another thread while edits go on here.
    std::shared_ptr<GapCopy<T>> freeze()
    {
        auto copy = std::make_shared<GapCopy<T>>(body_.data(), size_type(body_.size()), gapStart_,
                                                 gapLength_);
        copies_.push_back(copy);
        return copy;
    }

private:
    // Copies not finished keep what body[from, to) holds before it is overwritten. A copy no
    // reader holds any more is dropped instead.
    void beforeWrite(size_type from, size_type to)
    {
        if (copies_.empty())
            return;
        std::erase_if(copies_, [](const std::shared_ptr<GapCopy<T>>& copy) {
            return copy.use_count() == 1 || copy->done();
        });
        for (const std::shared_ptr<GapCopy<T>>& copy : copies_)
            copy->copyPages(from, to);
    }

    // Before the storage is freed or replaced: copies not finished keep it alive.
    void letGo()
    {
        if (copies_.empty())
            return;
        auto storage = std::make_shared<const std::vector<T>>(std::move(body_));
        body_ = std::vector<T>();
        for (const std::shared_ptr<GapCopy<T>>& copy : copies_)
            if (copy.use_count() > 1 && !copy->done())
                copy->keep(storage);
        copies_.clear();
    }

    void moveGap(size_type pos)
    {
        if (pos == gapStart_)
            return;
        T* b = body_.data();
        if (pos < gapStart_)
            beforeWrite(pos + gapLength_, gapStart_ + gapLength_);
        else
            beforeWrite(gapStart_, pos);
        if (pos < gapStart_)
            std::memmove(b + pos + gapLength_, b + pos, size_t(gapStart_ - pos) * sizeof(T));
        else
            std::memmove(b + gapStart_, b + gapStart_ + gapLength_,
                         size_t(pos - gapStart_) * sizeof(T));
        gapStart_ = pos;
    }

    void makeRoom(size_type pos, size_type n)
    {
        if (gapLength_ < n) {
            // Move the gap to the end, then grow there: the tail is moved only once.
            moveGap(size());
            const size_type grow = std::max<size_type>(n - gapLength_ + size() / 8, 64);
            const size_t grown = body_.size() + size_t(grow);
            if (!copies_.empty() && grown > body_.capacity()) {
                // Grown into new storage, as resize would; the old one stays with the copies.
                std::vector<T> bigger;
                bigger.reserve(std::max(grown, body_.size() * 2));
                bigger.assign(body_.begin(), body_.end());
                letGo();
                body_ = std::move(bigger);
            }
            body_.resize(grown);
            gapLength_ += grow;
        }
        moveGap(pos);
    }

    std::vector<T> body_;
    size_type gapStart_ = 0;
    size_type gapLength_ = 0;
    // Copies taken by freeze() that may still read body_.
    std::vector<std::shared_ptr<GapCopy<T>>> copies_;
};

} // namespace tl
