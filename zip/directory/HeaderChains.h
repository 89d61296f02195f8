#pragma once
// Where the central headers that follow one another lead. The search for an end record that
// has other bytes after it asks, for each record found, whether the headers from the start of
// the directory it names end exactly where that directory ends, and how many there are, before
// it reads any directory whole. Each header is read once, however many records lead to it: a
// thousand records naming one directory cost one walk of it, not a thousand.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zip {

class Stream;

class TZAHeaderChains {
public:
    // stream: the archive (not owned); no header reaches past limit. signature: the central
    // header signature in use (the standard one counts too). A read that fails raises error 44
    // in the name of componentName.
    TZAHeaderChains(Stream& stream, int64_t limit, uint32_t signature, std::string componentName);

    // The number of headers from start to end, when the headers that follow one another from
    // start land on end exactly; none otherwise.
    std::optional<uint64_t> EntriesBetween(int64_t start, int64_t end);
    // What the walks have cost so far: the bytes read, and a little for each run followed into
    // another.
    int64_t Cost() const { return cost_; }

private:
    // A run of header boundaries: each one is where a header starts and the one before ends.
    // It ends at a place that holds no header, or where it joins a run walked earlier.
    struct Chain {
        std::vector<int64_t> Bounds;
        int32_t Joins = -1;   // the run it joins at its last boundary, -1 when none
        size_t JoinIndex = 0; // the index of that boundary in the run it joins
    };
    // The run and index of position, walking from it when no run holds it yet.
    std::pair<int32_t, size_t> locate(int64_t position);
    // The length of the header at position, 0 when none is there or it does not fit.
    int64_t headerLength(int64_t position);

    Stream& stream_;
    int64_t limit_;
    uint32_t signature_;
    std::string componentName_;
    std::vector<Chain> chains_;
    std::unordered_map<int64_t, std::pair<int32_t, size_t>> where_;
    std::vector<uint8_t> window_;
    int64_t windowStart_ = -1;
    int64_t cost_ = 0;
};

} // namespace zip
