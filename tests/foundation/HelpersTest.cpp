#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "common/EventPump.h"
#include "common/Helpers.h"

#include <chrono>
#include <thread>

using namespace velmora;

TEST(Helpers, ShortTitleRemovesWordsFromTheEnd) {
    EXPECT_EQ(ShortTitle("Velmora Ledger Table Transfer Toolkit Platform"),
              "Velmora Ledger Table Transfer Toolkit");
    EXPECT_EQ(ShortTitle("Short words only in thirty chr"), "Short words only in thirty");
    EXPECT_EQ(ShortTitle("Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota"),
              "Alpha Beta Gamma Delta Epsilon Zeta Eta");
    EXPECT_EQ(ShortTitle("NoSpacesAtAll"), "NoSpacesAtAll");
}

TEST(Helpers, FileTests) {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.db");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.filePath("missing")));
    EXPECT_EQ(IsFolder(dir.path()), std::optional<bool>(true));
    EXPECT_EQ(IsFolder(file), std::optional<bool>(false));
    EXPECT_FALSE(IsFolder(dir.filePath("missing")).has_value());
}

TEST(Helpers, FileNameOfAndListContains) {
    EXPECT_EQ(FileNameOf("/a/b/c.mdb"), "c.mdb");
    EXPECT_EQ(FileNameOf("c.mdb"), "c.mdb");
    EXPECT_EQ(FileNameOf("/a/b/"), "");
    EXPECT_TRUE(ListContains({"x", "ORDERS"}, "orders"));
    EXPECT_FALSE(ListContains({}, "orders"));
    EXPECT_FALSE(ListContains({"ORDERS2"}, "orders"));
    // The folder list holds names in capitals; a final sigma still matches.
    EXPECT_TRUE(ListContains({QString::fromUtf8("ΠΊΝΑΚΑΣ")}, QString::fromUtf8("πίνακας")));
}

TEST(Helpers, ProgramDriveRootHasNoSpaceAndEndsInSeparator) {
    const QString root = ProgramDriveRoot();
    EXPECT_FALSE(root.contains(' '));
    EXPECT_TRUE(root.endsWith('/'));
}

namespace {
using Clock = std::chrono::steady_clock;
struct CountingPump : velmora::EventPump {
    int passes = 0;
    std::vector<Clock::time_point> times;
    void processEvents() override {
        ++passes;
        times.push_back(Clock::now());
    }
};
}  // namespace

TEST(EventPump, SlowStepsStillRepaintAboutEverySixteenMilliseconds) {
    CountingPump pump;
    for (int i = 0; i < 2000; ++i) pump.yield();  // fast calls first: the stride grows
    Clock::duration longestStep{};
    pump.times.push_back(Clock::now());
    for (int i = 0; i < 30; ++i) {
        const auto before = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pump.yield();
        longestStep = std::max(longestStep, Clock::now() - before);
    }
    // No gap between two passes is longer than the interval (at the clock's 4 ms
    // resolution) plus the four steps between two clock readings.
    Clock::duration longestGap{};
    for (std::size_t i = 1; i < pump.times.size(); ++i)
        longestGap = std::max(longestGap, pump.times[i] - pump.times[i - 1]);
    EXPECT_LE(longestGap, std::chrono::milliseconds(20) + 4 * longestStep);
    EXPECT_GE(pump.passes, 3);
}

TEST(EventPump, FastCallsRarelyRepaint) {
    CountingPump pump;
    for (int i = 0; i < 1000000; ++i) pump.yield();
    EXPECT_LT(pump.passes, 1000);
}
