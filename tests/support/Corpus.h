#pragma once
// Where the shared corpus is (VELMORA_CORPUS, else the folder found at configure time),
// and what a test does when it is missing: skips on a developer's machine without it,
// fails where VELMORA_REQUIRE_CORPUS is set, as CI sets it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace velmora::test {

inline std::filesystem::path corpusFolder() {
    const char* configured = std::getenv("VELMORA_CORPUS");
    return configured && *configured ? configured : VELMORA_CORPUS_DEFAULT;
}

// The corpus root when it holds `part` ("access", "paradox"), else nothing.
inline std::optional<std::filesystem::path> corpusRoot(std::string_view part = "access") {
    const auto root = corpusFolder();
    std::error_code ec;
    if (!std::filesystem::is_directory(root / part, ec)) return std::nullopt;
    return root;
}

// The corpus's folder `part`, when the corpus holds it.
inline std::optional<std::filesystem::path> corpusPart(std::string_view part) {
    const auto root = corpusRoot(part);
    if (!root) return std::nullopt;
    return *root / part;
}

inline bool corpusRequired() {
    const char* required = std::getenv("VELMORA_REQUIRE_CORPUS");
    return required && *required && std::string_view(required) != "0";
}

}  // namespace velmora::test

// Ends the test when `present` is false: a failure where the corpus is required, a skip
// elsewhere. `what` names what is missing.
#define VELMORA_NEED_CORPUS(present, what)                                             \
    if (!(present)) {                                                                  \
        if (::velmora::test::corpusRequired()) FAIL() << "corpus missing: " << (what); \
        GTEST_SKIP() << "corpus not on this machine: " << (what);                      \
    }

// Declares `folder`, the corpus's folder `part` ("paradox"), or ends the test as
// VELMORA_NEED_CORPUS does.
#define VELMORA_CORPUS_FOLDER(folder, part)                \
    const auto folder = ::velmora::test::corpusPart(part); \
    VELMORA_NEED_CORPUS(folder, ::velmora::test::corpusFolder() / (part))
