#pragma once
// The shared, read-only test corpus: $VELMORA_CORPUS, else the folder next to the
// repository found at configure time. Tests skip with a message when a file is absent.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velmora::test {

inline std::filesystem::path corpusRoot() {
    if (const char* configured = std::getenv("VELMORA_CORPUS");
        configured != nullptr && *configured != '\0')
        return configured;
    return VELMORA_DEFAULT_CORPUS;
}

inline std::filesystem::path accessCorpusFile(const std::string& relative) {
    return corpusRoot() / "access" / relative;
}

// expected-jackcess/ names a file by its corpus path with '/' replaced by "__".
inline std::filesystem::path expectedValuesFile(const std::string& relative) {
    std::string name = relative;
    for (std::size_t at = 0; (at = name.find('/', at)) != std::string::npos; at += 2)
        name.replace(at, 1, "__");
    return corpusRoot() / "access" / "expected-jackcess" / (name + ".jsonl");
}

}  // namespace velmora::test

#define VELMORA_SKIP_WITHOUT(path) \
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "Corpus file not found: " << (path)
