#include "tests/mainwindow/TestGroups.h"

#include <QtTest>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace velmora::test {

namespace {
std::map<std::string, GroupFactory>& groups() {
    static std::map<std::string, GroupFactory> all;
    return all;
}
}  // namespace

bool RegisterTestGroup(const char* name, GroupFactory make) {
    groups()[name] = std::move(make);
    return true;
}

int RunTestGroups(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string only;
    if (argc > 1 && argv[1][0] != '-') {
        only = argv[1];
        args.erase(args.begin() + 1);
        if (!groups().count(only)) {
            std::fprintf(stderr, "no test group %s\n", only.c_str());
            return 1;
        }
    }
    int failed = 0;
    for (const auto& [name, make] : groups()) {
        if (!only.empty() && name != only) continue;
        const std::unique_ptr<QObject> group = make();
        if (QTest::qExec(group.get(), static_cast<int>(args.size()), args.data()) != 0) ++failed;
    }
    return failed;
}

}  // namespace velmora::test
