#include "app/BusyState.h"

#include <utility>

namespace app {

BusyState::BusyState(std::function<void(bool)> apply) : apply_(std::move(apply)) {}

void BusyState::enter() {
    if (++depth_ == 1 && apply_)
        apply_(true);
}

void BusyState::leave() {
    if (depth_ == 0)
        return;
    if (--depth_ == 0 && apply_)
        apply_(false);
}

} // namespace app
