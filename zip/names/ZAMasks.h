#pragma once

#include "zip/ZAExcept.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zip {

// A mask with more "*" positions than the matcher supports raises EZAPlainError: not an
// engine error code, so it ends whatever operation compiled the mask.

// A file mask compiled once and matched against many names. "*" runs over
// any bytes (also over separators), "?" takes exactly one byte; letters a-z
// match either case. Matching never backtracks further than the most recent
// "*", so hostile names and masks cannot make it slow.
class TMask {
public:
    static constexpr int MaxSkipStates = 30;

    enum class StateKind : uint8_t { Literal, Any };
    struct State {
        bool SkipTo = false;
        StateKind Kind = StateKind::Literal;
        uint8_t Char = 0; // upper-cased; 0 in the final state matches only the end
    };

    explicit TMask(const std::string& mask);

    bool Matches(const std::string& fileName) const;
    const std::vector<State>& States() const { return states_; }

private:
    struct Token {
        bool Star = false;
        StateKind Kind = StateKind::Literal;
        uint8_t Char = 0;
    };
    std::vector<State> states_;
    std::vector<Token> tokens_; // the states as a glob: "*" tokens and one-byte elements
};

bool MatchesMask(const std::string& fileName, const std::string& mask);

// The archive-side matcher: "*.*" alone matches every name; a "*" that is
// followed by more pattern does not take the empty end of the name, so "a**"
// does not match "a" while "a*" does.
bool WildcardMatch(const std::string& name, const std::string& pattern, bool ignoreCase);

} // namespace zip
