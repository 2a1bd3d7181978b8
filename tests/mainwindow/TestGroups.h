#pragma once
// Several Qt Test classes in one program: each registers itself under its name.

#include <QObject>
#include <functional>
#include <memory>

namespace velmora::test {

using GroupFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterTestGroup(const char* name, GroupFactory make);

// With a group name as first argument runs only that group (the remaining arguments
// go to Qt Test), else every group in turn; returns the number of failed groups.
int RunTestGroups(int argc, char** argv);

}  // namespace velmora::test

#define VELMORA_TEST_GROUP(Class)                                           \
    static const bool Class##Registered = velmora::test::RegisterTestGroup( \
        #Class, [] { return std::make_unique<velmora::test::Class>(); })
