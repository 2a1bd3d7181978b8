#pragma once
// Raised by the readers below when the file's structure contradicts itself (an offset
// past its page, a page of the wrong kind, a chain that never ends). The session turns
// it into the provider's one error type, naming the database file.

#include <stdexcept>
#include <string>

namespace velmora::access {

class FormatError : public std::runtime_error {
  public:
    explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace velmora::access
