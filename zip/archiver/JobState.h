#pragma once
// How the operation under way stands (an add, a commit, an extraction or a test): set up when
// it starts, read by its progress events, meaningless once it has ended.

#include "zip/ZAConst.h"

#include <cstdint>

namespace zip {

struct TZAJobState {
    TZAProcessOperation Operation = TZAProcessOperation::poAdd;
    bool Cancel = false;    // a handler cancelled: the operation stops after the member at hand
    bool Skip = false;      // the member at hand is passed over (no password opened it)
    bool Damaged = false;   // the member at hand was kept as extracted though it is damaged
    bool ProgressOn = true; // progress events fire (not while extracting into a stream)
    int FilesDone = 0;      // members done, for the overall progress
    int FileCount = 0;      // members the operation has to do
    // The overall progress goes by bytes, so that one large member moves it by its share of
    // the data and not by one member's share. Each member weighs its bytes plus a fixed
    // allowance for its header and the opening of its file, so empty members count too.
    int64_t UnitsDone = 0;   // weight of the members finished
    int64_t UnitsTotal = 0;  // weight of every member the operation has to do
    int64_t MemberUnits = 0; // weight of the member at hand

    // A job starts from a clean state, whatever the previous one left behind.
    static TZAJobState Begin(TZAProcessOperation operation, int fileCount, int64_t unitsTotal,
                             bool progressOn = true) {
        TZAJobState state;
        state.Operation = operation;
        state.FileCount = fileCount;
        state.UnitsTotal = unitsTotal;
        state.ProgressOn = progressOn;
        return state;
    }
};

// The weight of a member of `bytes` in the overall progress.
inline int64_t ProgressUnits(int64_t bytes) {
    constexpr int64_t kMemberAllowance = 4096;
    return (bytes > 0 ? bytes : 0) + kMemberAllowance;
}

} // namespace zip
