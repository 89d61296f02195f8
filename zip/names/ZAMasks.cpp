#include "zip/names/ZAMasks.h"

#include "zip/names/ZAStringTables.h"

#include <cstring>

namespace zip {

namespace {

uint8_t upperAscii(uint8_t b) {
    return (b >= 'a' && b <= 'z') ? uint8_t(b - 32) : b;
}

// Names and masks end at their first zero byte, as the stored strings do.
size_t cLength(const std::string& s) {
    return std::strlen(s.c_str());
}

std::string invalidMaskText(const std::string& mask, size_t position) {
    return "'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")";
}

// Matches a glob of "*" tokens and one-byte elements against a name. When
// an element fails, only the most recent "*" takes one more byte; earlier
// stars never need to move, because any later placement of the rest is
// still reachable from the latest star. Elements are tested by `one`.
template <typename Token, typename One>
bool globMatch(const std::vector<Token>& tokens, const char* name, size_t length, One one) {
    size_t t = 0, p = 0;
    size_t backT = std::string::npos, backP = 0;
    while (p < length) {
        if (t < tokens.size() && tokens[t].Star) {
            backT = ++t;
            backP = p;
            continue;
        }
        if (t < tokens.size() && one(tokens[t], uint8_t(name[p]))) {
            ++t;
            ++p;
            continue;
        }
        if (backT == std::string::npos)
            return false;
        t = backT;
        p = ++backP;
    }
    while (t < tokens.size() && tokens[t].Star)
        ++t;
    return t == tokens.size();
}

struct WildToken {
    bool Star = false;
    bool Any = false;
    uint8_t Char = 0;
};

} // namespace

TMask::TMask(const std::string& mask) {
    const size_t length = cLength(mask);
    bool skipTo = false;
    int skipStates = 0;
    auto write = [&](State state, size_t position) {
        state.SkipTo = skipTo;
        if (skipTo && ++skipStates > MaxSkipStates)
            throw EZAPlainError(invalidMaskText(mask, position));
        skipTo = false;
        states_.push_back(state);
    };
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = uint8_t(mask[i]);
        if (c == '*') {
            skipTo = true;
        } else if (c == '?') {
            if (!skipTo)
                write(State{false, StateKind::Any, 0}, i + 1);
        } else {
            write(State{false, StateKind::Literal, upperAscii(c)}, i + 1);
        }
    }
    write(State{false, StateKind::Literal, 0}, length + 1);

    for (size_t i = 0; i + 1 < states_.size(); ++i) {
        if (states_[i].SkipTo)
            tokens_.push_back(Token{true, StateKind::Literal, 0});
        tokens_.push_back(Token{false, states_[i].Kind, states_[i].Char});
    }
    if (states_.back().SkipTo)
        tokens_.push_back(Token{true, StateKind::Literal, 0});
}

bool TMask::Matches(const std::string& fileName) const {
    return globMatch(tokens_, fileName.c_str(), cLength(fileName),
                     [](const Token& token, uint8_t b) {
                         return token.Kind == StateKind::Any || upperAscii(b) == token.Char;
                     });
}

bool MatchesMask(const std::string& fileName, const std::string& mask) {
    return TMask(mask).Matches(fileName);
}

bool WildcardMatch(const std::string& name, const std::string& pattern, bool ignoreCase) {
    std::string p(pattern.c_str());
    if (p == "*.*")
        return true;
    // "*.*" is also taken whole where it follows a "*": there it matches any
    // rest of the name that is not empty, which is what a second "*" does.
    if (p.size() >= 4 && p.compare(p.size() - 4, 4, "**.*") == 0)
        p.replace(p.size() - 3, 3, "*");

    std::vector<WildToken> tokens;
    for (char c : p) {
        if (c == '*')
            tokens.push_back(WildToken{true, false, 0});
        else if (c == '?')
            tokens.push_back(WildToken{false, true, 0});
        else
            tokens.push_back(WildToken{false, false, uint8_t(c)});
    }
    // A single trailing "*" may take the empty end of the name; a run of two
    // or more needs at least one byte there.
    size_t trailing = 0;
    while (trailing < tokens.size() && tokens[tokens.size() - 1 - trailing].Star)
        ++trailing;
    if (trailing >= 2) {
        tokens.resize(tokens.size() - trailing);
        tokens.push_back(WildToken{false, true, 0});
        tokens.push_back(WildToken{true, false, 0});
    }

    const TZAStringTables& tables = TZAStringTables::Default();
    return globMatch(tokens, name.c_str(), cLength(name), [&](const WildToken& token, uint8_t b) {
        if (token.Any)
            return true;
        return ignoreCase ? tables.SameByteIgnoreCase(b, token.Char)
                          : tables.SameByte(b, token.Char);
    });
}

} // namespace zip
