#pragma once

#include <cstdint>

namespace zip {

// Which volume of an archive is open. A single-file archive is volume 0 and also the last.
class TZAVolumeNumberInfo {
public:
    enum class State { First, Last, Numbered, NotSet };

    void Reset() {
        state_ = State::NotSet;
        VolumeNumber = -1;
        LastVolumeNumber = -1;
    }
    void SetFirst() {
        VolumeNumber = 0;
        state_ = State::First;
    }
    void SetLast() {
        VolumeNumber = LastVolumeNumber;
        state_ = State::Last;
    }
    void SetNumber(int32_t number) {
        state_ = State::Numbered;
        VolumeNumber = number;
    }
    State GetState() const { return state_; }

    int32_t VolumeNumber = -1;
    int32_t LastVolumeNumber = -1;

private:
    State state_ = State::NotSet;
};

} // namespace zip
