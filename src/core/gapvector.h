#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

namespace tl
{

// A vector with a movable gap: inserting or erasing near the last edit costs only the size of
// the change, and a far edit one memmove. Edits in a text cluster around the caret, so this keeps
// typing on a 20 MB page as cheap as on a small one. T must be trivially copyable.
template <class T> class GapVector
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    using size_type = std::ptrdiff_t;

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
        return i < gapStart_ ? body_[size_t(i)] : body_[size_t(i + gapLength_)];
    }

    // Replaces the contents, leaving a gap of `slack` elements at the end.
    void assign(const T* data, size_type n, size_type slack = 0)
    {
        std::vector<T> fresh;
        fresh.reserve(size_t(n + slack));
        fresh.insert(fresh.end(), data, data + n);
        fresh.resize(size_t(n + slack));
        body_.swap(fresh);
        gapStart_ = n;
        gapLength_ = slack;
    }

    // Takes over a buffer whose first n elements are the contents.
    void adopt(std::vector<T>&& body, size_type n)
    {
        Q_ASSERT(n >= 0 && size_t(n) <= body.size());
        body_ = std::move(body);
        gapStart_ = n;
        gapLength_ = size_type(body_.size()) - n;
    }

    void clear()
    {
        body_.clear();
        gapStart_ = gapLength_ = 0;
    }

    void insert(size_type pos, const T* data, size_type n)
    {
        Q_ASSERT(pos >= 0 && pos <= size());
        if (n <= 0)
            return;
        makeRoom(pos, n);
        std::memcpy(body_.data() + pos, data, size_t(n) * sizeof(T));
        gapStart_ += n;
        gapLength_ -= n;
    }

    void insertValue(size_type pos, T value)
    {
        Q_ASSERT(pos >= 0 && pos <= size());
        makeRoom(pos, 1);
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

private:
    void moveGap(size_type pos)
    {
        if (pos == gapStart_)
            return;
        T* b = body_.data();
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
            body_.resize(body_.size() + size_t(grow));
            gapLength_ += grow;
        }
        moveGap(pos);
    }

    std::vector<T> body_;
    size_type gapStart_ = 0;
    size_type gapLength_ = 0;
};

} // namespace tl
