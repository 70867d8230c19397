// Where the results log goes: the rule itself, the same on every system.
#include "results/log_location.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(LogLocationTest, ChoosesBesideTheExecutableOrTheDataFolder)
{
    using S = std::optional<std::string>;
    const struct {
        const char* name;
        LogPlaceInputs in;
        const char* path;
        const char* folder;
    } rows[] = {
        {"writable folder", {true, S("/x"), S("/home/u")}, "/opt/vt/Result3.txt", ""},
        {"unwritable, XDG_DATA_HOME set",
         {false, S("/data"), S("/home/u")},
         "/data/vesktest/Result3.txt",
         "/data/vesktest"},
        {"unwritable, XDG_DATA_HOME unset",
         {false, {}, S("/home/u")},
         "/home/u/.local/share/vesktest/Result3.txt",
         "/home/u/.local/share/vesktest"},
        {"XDG_DATA_HOME empty",
         {false, S(""), S("/home/u")},
         "/home/u/.local/share/vesktest/Result3.txt",
         "/home/u/.local/share/vesktest"},
        {"XDG_DATA_HOME relative is ignored",
         {false, S("data"), S("/home/u")},
         "/home/u/.local/share/vesktest/Result3.txt",
         "/home/u/.local/share/vesktest"},
        {"trailing separators",
         {false, S("/data//"), {}},
         "/data/vesktest/Result3.txt",
         "/data/vesktest"},
        {"no data folder known", {false, {}, {}}, "/opt/vt/Result3.txt", ""},
        {"installed, folder writable (root)",
         {true, {}, S("/root"), true},
         "/root/.local/share/vesktest/Result3.txt",
         "/root/.local/share/vesktest"},
        {"installed, folder not writable",
         {false, S("/data"), S("/home/u"), true},
         "/data/vesktest/Result3.txt",
         "/data/vesktest"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LogPlace place = ChooseResultsLogPlace("/opt/vt/", row.in);
        EXPECT_EQ(place.path, row.path);
        EXPECT_EQ(place.folder, row.folder);
    }
}

}  // namespace
}  // namespace vt
