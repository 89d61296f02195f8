#include "model/image/PixelBudget.h"

#include "model/Errors.h"

#include <algorithm>
#include <utility>

namespace model {

PixelBudget::Lease::Lease(Lease&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), pixels_(std::exchange(other.pixels_, 0)) {}

PixelBudget::Lease& PixelBudget::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        if (budget_)
            budget_->release(pixels_);
        budget_ = std::exchange(other.budget_, nullptr);
        pixels_ = std::exchange(other.pixels_, 0);
    }
    return *this;
}

PixelBudget::Lease::~Lease() {
    if (budget_)
        budget_->release(pixels_);
}

PixelBudget::PixelBudget(qint64 capacity) : capacity_(std::max<qint64>(capacity, 1)) {}

PixelBudget::Lease PixelBudget::acquire(qint64 pixels) {
    pixels = std::clamp<qint64>(pixels, 0, capacity_);
    std::unique_lock lock(mutex_);
    if (pixels == 0 && !cancelled_)
        return Lease();
    freed_.wait(lock, [&] { return cancelled_ || inUse_ <= capacity_ - pixels; });
    if (cancelled_)
        throw PictureError(QStringLiteral("The picture was not converted: the work was cancelled"));
    inUse_ += pixels;
    peak_ = std::max(peak_, inUse_);
    peakLeases_ = std::max(peakLeases_, ++leases_);
    return Lease(this, pixels);
}

void PixelBudget::cancel() {
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    freed_.notify_all();
}

void PixelBudget::release(qint64 pixels) {
    {
        const std::lock_guard lock(mutex_);
        inUse_ -= pixels;
        --leases_;
    }
    freed_.notify_all();
}

qint64 PixelBudget::inUse() const {
    const std::lock_guard lock(mutex_);
    return inUse_;
}

qint64 PixelBudget::peak() const {
    const std::lock_guard lock(mutex_);
    return peak_;
}

int PixelBudget::peakLeases() const {
    const std::lock_guard lock(mutex_);
    return peakLeases_;
}

} // namespace model
