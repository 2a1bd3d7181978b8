#include "tests/access/Mutants.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace velmora::access::testing {

namespace {

constexpr char kTableDefinition = 0x02;

std::size_t pageSizeOf(const std::vector<char>& bytes) {
    return bytes.size() > 0x14 && bytes[0x14] == 0 ? 2048 : 4096;  // Jet3 : Jet4 and later
}

class Damage {
  public:
    Damage(Mutant& mutant, std::uint64_t seed)
        : m_(mutant),
          random_(seed),
          pageSize_(pageSizeOf(mutant.bytes)),
          pages_(mutant.bytes.size() / pageSize_) {}

    std::size_t below(std::size_t n) { return n == 0 ? 0 : random_() % n; }
    std::uint32_t anyPage() { return static_cast<std::uint32_t>(1 + below(pages_ - 1)); }

    void set(std::size_t at, char value) {
        if (at >= m_.bytes.size() || m_.bytes[at] == value) return;
        m_.bytes[at] = value;
        m_.pages.insert(static_cast<std::uint32_t>(at / pageSize_));
    }
    void randomBytes(std::size_t at, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) set(at + i, static_cast<char>(random_()));
    }

    std::vector<std::uint32_t> definitionPages() const {
        std::vector<std::uint32_t> found;
        for (std::uint32_t p = 3; p < pages_; ++p)
            if (m_.bytes[p * pageSize_] == kTableDefinition) found.push_back(p);
        return found;
    }

    void apply() {
        const bool jet3 = pageSize_ == 2048;
        switch (below(8)) {
            case 0: {  // flipped bytes, half of them in the first pages
                const std::size_t flips = 1 + below(16);
                for (std::size_t i = 0; i < flips; ++i) {
                    const std::size_t span =
                        below(2) ? std::min(m_.bytes.size(), 8 * pageSize_) : m_.bytes.size();
                    const std::size_t at = below(span);
                    set(at, static_cast<char>(m_.bytes[at] ^ static_cast<char>(1 + below(255))));
                }
                m_.damage = std::to_string(flips) + " flipped bytes";
                return;
            }
            case 1: {
                const std::uint32_t page = anyPage();
                for (std::size_t i = 0; i < pageSize_; ++i) set(page * pageSize_ + i, 0);
                m_.damage = "page " + std::to_string(page) + " zeroed";
                return;
            }
            case 2: {
                const std::uint32_t from = anyPage(), to = anyPage();
                for (std::size_t i = 0; i < pageSize_; ++i)
                    set(to * pageSize_ + i, m_.bytes[from * pageSize_ + i]);
                m_.damage =
                    "page " + std::to_string(from) + " copied over page " + std::to_string(to);
                return;
            }
            case 3: {
                const std::size_t size = 3 * pageSize_ + below(m_.bytes.size() - 3 * pageSize_);
                for (std::size_t p = size / pageSize_; p < pages_; ++p)
                    m_.pages.insert(static_cast<std::uint32_t>(p));
                m_.bytes.resize(size);
                m_.damage = "cut at " + std::to_string(size) + " bytes";
                return;
            }
            case 4: {
                const std::uint32_t page = anyPage();
                randomBytes(page * pageSize_ + below(16), 1 + below(4));
                m_.damage = "header of page " + std::to_string(page) + " damaged";
                return;
            }
            case 5:
            case 6: {
                const auto definitions = definitionPages();
                if (definitions.empty()) break;
                const std::uint32_t page = definitions[below(definitions.size())];
                if (below(2) == 0) {
                    randomBytes(page * pageSize_ + below(pageSize_), 1 + below(8));
                    m_.damage = "definition at page " + std::to_string(page) + " damaged";
                } else {  // the pointer to its usage map
                    randomBytes(page * pageSize_ + (jet3 ? 35 : 55) + below(4), 1 + below(3));
                    m_.damage = "usage map pointer of the definition at page " +
                                std::to_string(page) + " damaged";
                }
                return;
            }
            default:
                break;
        }
        randomBytes(2 * pageSize_ + below(pageSize_ - 8), 8);
        m_.damage = "catalogue page damaged (8 bytes)";
    }

  private:
    Mutant& m_;
    std::mt19937_64 random_;
    std::size_t pageSize_;
    std::size_t pages_;
};

}  // namespace

Mutant mutate(const std::vector<char>& original, std::uint64_t seed) {
    Mutant mutant{original, {}, {}};
    Damage(mutant, seed).apply();
    return mutant;
}

}  // namespace velmora::access::testing
