#pragma once
// How the operation under way stands (an add, a commit, an extraction or a test): set up when
// it starts, read by its progress events, meaningless once it has ended.

#include "zip/ZAConst.h"

namespace zip {

struct TZAJobState {
    TZAProcessOperation Operation = TZAProcessOperation::poAdd;
    bool Cancel = false;    // a handler cancelled: the operation stops after the member at hand
    bool Skip = false;      // the member at hand is passed over (no password opened it)
    bool Damaged = false;   // the member at hand was kept as extracted though it is damaged
    bool ProgressOn = true; // progress events fire (not while extracting into a stream)
    int FilesDone = 0;      // members done, for the overall progress
    int FileCount = 0;      // members the operation has to do

    // A job starts from a clean state, whatever the previous one left behind.
    static TZAJobState Begin(TZAProcessOperation operation, int fileCount, bool progressOn = true) {
        TZAJobState state;
        state.Operation = operation;
        state.FileCount = fileCount;
        state.ProgressOn = progressOn;
        return state;
    }
};

} // namespace zip
