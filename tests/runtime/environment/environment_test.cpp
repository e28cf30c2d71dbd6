// The table of environment variables is the one list: no other file of the
// program reads a variable, --help (and so the manual page) names the
// program's rows and none of the others, and docs/manual.md's table names
// every row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "runtime/environment/environment.h"
#include "runtime/options/options.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(Environment, OnlyItsModuleReadsTheEnvironment) {
    const fs::path src = fs::path(AFTERGLOW_SOURCE_DIR) / "src";
    const fs::path module = src / "runtime/environment/environment.cpp";
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file() || entry.path() == module) continue;
        ++files;
        EXPECT_EQ(fileContents(entry.path()).find("getenv("), std::string::npos) << entry.path();
    }
    EXPECT_GT(files, 100);
}

TEST(Environment, HelpNamesTheProgramsRowsAndTheManualEveryRow) {
    const std::string help = usageText("afterglow");
    const auto program = programVariables();
    for (const EnvironmentEntry& e : environmentTable()) {
        const bool read = std::find_if(program.begin(), program.end(),
                                       [&](const EnvironmentEntry& p) { return p.name == e.name; }) != program.end();
        EXPECT_EQ(help.find("  " + std::string(e.name)) != std::string::npos, read) << e.name;
        EXPECT_EQ(e.reader == EnvReader::Program || e.reader == EnvReader::TestHook, read) << e.name;
        EXPECT_EQ(e.words.starts_with("for testing"), e.reader == EnvReader::TestHook) << e.name;
    }

    std::set<std::string> table;
    for (const EnvironmentEntry& e : environmentTable()) table.insert(std::string(e.name));
    std::set<std::string> manual;
    std::ifstream page(fs::path(AFTERGLOW_SOURCE_DIR) / "docs/manual.md");
    std::string line;
    while (std::getline(page, line) && line != "## Environment") {
    }
    static const std::regex row(R"(\| `([A-Za-z_]+)[=`].*)");
    std::smatch name;
    while (std::getline(page, line) && !line.starts_with("## "))
        if (std::regex_match(line, name, row)) manual.insert(name[1]);
    EXPECT_EQ(manual, table) << "docs/manual.md's \"Environment\"";
}

TEST(Environment, ASwitchIsOnUnlessUnsetEmptyOrZero) {
    const char* name = environmentName(EnvVar::WarmUp).data();
    unsetenv(name);
    EXPECT_FALSE(environmentSwitch(EnvVar::WarmUp));
    EXPECT_EQ(environmentValue(EnvVar::WarmUp), nullptr);
    for (const auto& [value, on] : {std::pair{"", false}, {"0", false}, {"1", true}, {"yes", true}}) {
        setenv(name, value, 1);
        EXPECT_EQ(environmentSwitch(EnvVar::WarmUp), on) << '"' << value << '"';
    }
    setEnvironmentDefault(EnvVar::WarmUp, "0");
    EXPECT_STREQ(environmentValue(EnvVar::WarmUp), "yes") << "a value already set stays";
    unsetenv(name);
}

}  // namespace
