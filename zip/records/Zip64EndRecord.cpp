#include "zip/records/Zip64EndRecord.h"

#include "zip/records/LittleEndian.h"

namespace zip {

void TZAZip64EndRecord::Encode(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put64(out + 4, RecordSize);
    le::Put16(out + 12, VersionMadeBy);
    le::Put16(out + 14, VersionNeeded);
    le::Put32(out + 16, ThisDisk);
    le::Put32(out + 20, DirectoryDisk);
    le::Put64(out + 24, EntriesOnDisk);
    le::Put64(out + 32, TotalEntries);
    le::Put64(out + 40, DirectorySize);
    le::Put64(out + 48, DirectoryOffset);
}

TZAZip64EndRecord TZAZip64EndRecord::Decode(const uint8_t* in) {
    TZAZip64EndRecord r;
    r.Signature = le::Get32(in + 0);
    r.RecordSize = le::Get64(in + 4);
    r.VersionMadeBy = le::Get16(in + 12);
    r.VersionNeeded = le::Get16(in + 14);
    r.ThisDisk = le::Get32(in + 16);
    r.DirectoryDisk = le::Get32(in + 20);
    r.EntriesOnDisk = le::Get64(in + 24);
    r.TotalEntries = le::Get64(in + 32);
    r.DirectorySize = le::Get64(in + 40);
    r.DirectoryOffset = le::Get64(in + 48);
    return r;
}

} // namespace zip
