#pragma once

#include <stdexcept>
#include <string>

namespace app {

// A language file that is not well-formed XML.
class LanguageFileError : public std::runtime_error {
public:
    explicit LanguageFileError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace app
