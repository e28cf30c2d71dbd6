// The shell completions the build writes from the table of options: bash's
// run as bash-completion runs it, on the words of a command line being
// typed; zsh's read by zsh.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "runtime/options/options.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCompletions = fs::path(AFTERGLOW_BUILD_DIR) / "completions";

std::string singleQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// What bash offers for the last of words (the one being typed, maybe
// empty), in folder.
std::set<std::string> offered(const std::vector<std::string>& words, const fs::path& folder) {
    std::string array, line;
    for (const std::string& w : words) {
        array += singleQuoted(w) + " ";
        line += (line.empty() ? "" : " ") + w;
    }
    const std::string script = "source /usr/share/bash-completion/bash_completion && source " +
                               singleQuoted((kCompletions / "afterglow").string()) + " && COMP_WORDS=(" + array +
                               ") && COMP_CWORD=" + std::to_string(words.size() - 1) +
                               " && COMP_LINE=" + singleQuoted(line) +
                               " && COMP_POINT=${#COMP_LINE} && _afterglow afterglow " + singleQuoted(words.back()) +
                               " " + singleQuoted(words[words.size() - 2]) + " && printf '%s\\n' \"${COMPREPLY[@]}\"";
    ProcessOptions options;
    options.workingDir = folder.string();
    const ProcessResult r = runProcess({"/bin/bash", "-c", script}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> found;
    std::istringstream lines(r.out);
    for (std::string l; std::getline(lines, l);)
        if (!l.empty()) found.insert(l);
    return found;
}

TEST(Completion, BashOffersTheTablesOptionsAndFilesOrFoldersWhereAValueIsOne) {
    TempDir here;
    putFile(here / "shot.png", "");
    fs::create_directory(here / "frames");

    std::set<std::string> every;
    for (const OptionEntry& option : optionTable()) {
        every.insert("--" + std::string(option.name));
        if (option.shortName) every.insert(std::string{'-', option.shortName});
    }
    EXPECT_EQ(offered({"afterglow", "-"}, here.path()), every);
    EXPECT_EQ(offered({"afterglow", "--windowed", "--sh"}, here.path()), std::set<std::string>{"--shot"});
    EXPECT_EQ(offered({"afterglow", "--frames", ""}, here.path()), std::set<std::string>{"frames"}) << "a folder";
    EXPECT_EQ(offered({"afterglow", "--json", ""}, here.path()), (std::set<std::string>{"frames", "shot.png"}));
    EXPECT_EQ(offered({"afterglow", "--shot", "1000", ""}, here.path()), (std::set<std::string>{"frames", "shot.png"}))
        << "--shot's second value is a file";
    EXPECT_EQ(offered({"afterglow", "--shot", ""}, here.path()), std::set<std::string>{}) << "a time: nothing to offer";
    EXPECT_EQ(offered({"afterglow", "--start", ""}, here.path()), std::set<std::string>{});
}

TEST(Completion, ZshReadsItsFunctionWithEveryOption) {
    const fs::path file = kCompletions / "_afterglow";
    const std::string text = fileContents(file);
    EXPECT_EQ(text.rfind("#compdef afterglow\n", 0), 0u);
    const ProcessResult syntax = runProcess({"/usr/bin/zsh", "-n", file.string()});
    EXPECT_EQ(syntax.exitCode, 0) << syntax.err;
    EXPECT_EQ(syntax.err, "");
    for (const OptionEntry& option : optionTable())
        EXPECT_NE(text.find("--" + std::string(option.name)), std::string::npos) << option.name;
}

}  // namespace
