#pragma once

#include "model/image/Picture.h"

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

namespace model {

// The pixels that the pictures converted at the same time may hold together, whatever the
// number of threads converting them. Each conversion leases, before it allocates any raster,
// every pixel it will hold at its peak (worked out from the picture's headers), and waits
// while the others hold too much of the budget; one that needs more than the whole budget
// waits until it has all of it. A lease is given back when it is destroyed.
class PixelBudget {
public:
    // No picture may exceed this on its own, so a budget of the same size lets through any
    // picture that is allowed at all, one at a time.
    static constexpr qint64 DefaultPixels = Picture::MaxPixels;

    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();
        qint64 pixels() const { return pixels_; }

    private:
        friend class PixelBudget;
        Lease(PixelBudget* budget, qint64 pixels) : budget_(budget), pixels_(pixels) {}
        PixelBudget* budget_ = nullptr;
        qint64 pixels_ = 0;
    };

    explicit PixelBudget(qint64 capacity = DefaultPixels);
    PixelBudget(const PixelBudget&) = delete;
    PixelBudget& operator=(const PixelBudget&) = delete;

    // Blocks until `pixels` (at most the capacity) are free, then lends them. Throws
    // PictureError once the budget is cancelled, also to those already waiting.
    Lease acquire(qint64 pixels);
    // Ends the work the budget serves: nothing more is lent. Leases held stay valid.
    void cancel();

    qint64 capacity() const { return capacity_; }
    qint64 inUse() const;
    // The most pixels ever lent at once, and the most leases ever held at once.
    qint64 peak() const;
    int peakLeases() const;

private:
    void release(qint64 pixels);

    const qint64 capacity_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    qint64 inUse_ = 0;
    qint64 peak_ = 0;
    int leases_ = 0;
    int peakLeases_ = 0;
    bool cancelled_ = false;
};

} // namespace model
