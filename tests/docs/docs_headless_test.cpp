// README.md and the pages of docs/ as a reader uses them: every block of sh
// commands runs as written, in order, in a scratch folder of its page with
// the build's programs first on PATH and no display. A block the tests
// cannot run (it plays, installs or takes minutes) has a comment just
// before it that says why:
//
//   <!-- not run by the tests: plays the whole show full screen -->
//
// and the program's command lines in it are still checked, by running them
// with --help added: the program parses the whole line first and refuses
// what it would refuse. The links between the pages lead to files, and the
// front page stays short, with its picture small.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = AFTERGLOW_SOURCE_DIR;

struct Block {
    int line = 0;           // of its opening fence
    std::string commands;   // as written
    std::string notRunWhy;  // empty: the tests run it
};

std::vector<std::string> lines(const fs::path& page) {
    std::ifstream in(page);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<Block> shellBlocks(const fs::path& page) {
    static const std::regex notRun(R"(<!-- not run by the tests: (.+) -->)");
    const std::vector<std::string> text = lines(page);
    std::vector<Block> blocks;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != "```sh") continue;
        Block block{static_cast<int>(i + 1), "", ""};
        std::smatch why;
        if (i > 0 && std::regex_match(text[i - 1], why, notRun)) block.notRunWhy = why[1];
        for (++i; i < text.size() && text[i] != "```"; ++i) block.commands += text[i] + "\n";
        blocks.push_back(block);
    }
    return blocks;
}

// The words of each simple command, quotes taken off, a line continued by
// a backslash joined to the next; comments, redirections and separators
// left out.
std::vector<std::vector<std::string>> simpleCommands(const std::string& commands) {
    std::vector<std::vector<std::string>> out(1);
    std::string word;
    bool inWord = false;
    char quote = 0;
    static const std::regex redirection(R"(\d*[<>].*)");
    auto endWord = [&] {
        if (inWord && !std::regex_match(word, redirection)) out.back().push_back(word);
        word.clear();
        inWord = false;
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        const char c = commands[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < commands.size() && commands[i + 1] == '\n') {
            ++i;
        } else if (c == '&' && !word.empty() && word.back() == '>') {
            word += c;  // 2>&1
        } else if (c == '#' && !inWord) {
            while (i + 1 < commands.size() && commands[i + 1] != '\n') ++i;
        } else if (c == ' ' || c == '\n' || c == ';' || c == '|' || c == '&') {
            endWord();
            if (c != ' ' && !out.back().empty()) out.emplace_back();
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    return out;
}

// The arguments of the program's command line, when the command runs it
// (as afterglow, ./afterglow, build/afterglow or ./run).
bool programArguments(const std::vector<std::string>& words, std::vector<std::string>& args) {
    size_t at = 0;
    while (at < words.size() && (words[at].find('=') != std::string::npos || words[at] == "env" ||
                                 words[at] == "sudo" || words[at] == "-u" || (at > 0 && words[at - 1] == "-u")))
        ++at;
    if (at == words.size()) return false;
    if (fs::path(words[at]).filename() != "afterglow" && words[at] != "./run") return false;
    // ./run --web is the script's own: it builds and serves the browser's site.
    if (words[at] == "./run" && at + 1 < words.size() && words[at + 1] == "--web") return false;
    args.assign(words.begin() + static_cast<long>(at) + 1, words.end());
    return true;
}

// README.md and every page of docs/, as paths from the source folder.
std::vector<std::string> pages() {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(kSource / "docs"))
        if (entry.path().extension() == ".md") out.push_back("docs/" + entry.path().filename().string());
    std::sort(out.begin(), out.end());
    out.insert(out.begin(), "README.md");
    return out;
}

class Page : public testing::TestWithParam<std::string> {};

TEST_P(Page, CommandsRunAsWritten) {
    const fs::path page = kSource / GetParam();
    const std::vector<Block> blocks = shellBlocks(page);
    TempDir scratch;
    for (const char* folder : {"scripts", "content"}) fs::create_directory_symlink(kSource / folder, scratch / folder);
    fs::create_directory_symlink(AFTERGLOW_DATA_DIR, scratch / "build");
    const std::string path = std::string("PATH=") + AFTERGLOW_DATA_DIR + ":" + std::getenv("PATH");
    const std::string buildDir = std::string("AFTERGLOW_BUILD_DIR=") + AFTERGLOW_DATA_DIR;

    for (const Block& block : blocks) {
        const std::string where = GetParam() + ":" + std::to_string(block.line);
        for (const std::vector<std::string>& words : simpleCommands(block.commands)) {
            std::vector<std::string> args;
            if (!programArguments(words, args)) continue;
            args.push_back("--help");
            const ProcessResult r = afterglow(args, within(30, scratch.path().string()));
            EXPECT_EQ(r.exitCode, 0) << where << ": the program refuses its command line: " << r.err;
        }
        if (!block.notRunWhy.empty()) continue;
        putFile(scratch / "block.sh", block.commands);
        ProcessOptions options = within(240, scratch.path().string(), {path, buildDir, "AFTERGLOW_NO_MESSAGE_BOX=1"});
        const ProcessResult r = runProcess({"/bin/bash", "-eo", "pipefail", "block.sh"}, options);
        EXPECT_EQ(r.exitCode, 0) << where << ":\n" << block.commands << "stdout:\n" << r.out << "stderr:\n" << r.err;
    }
}

// Docs/Page.CommandsRunAsWritten/manual, ...
INSTANTIATE_TEST_SUITE_P(Docs, Page, testing::ValuesIn(pages()), [](const testing::TestParamInfo<std::string>& info) {
    std::string name = fs::path(info.param).stem().string();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

TEST(Docs, LinksLeadToFilesAndTheFrontPageStaysShort) {
    static const std::regex link(R"(\]\(([^)#:]+)(#[^)]*)?\))");
    for (const std::string& name : pages()) {
        const fs::path page = kSource / name;
        const std::string text = fileContents(page);
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it)
            EXPECT_TRUE(fs::exists(page.parent_path() / (*it)[1].str())) << page << " links to " << (*it)[1];
    }
    const std::vector<std::string> front = lines(kSource / "README.md");
    EXPECT_LE(front.size(), 150u);
    const std::vector<Block> blocks = shellBlocks(kSource / "README.md");
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].commands, "./run\n");
    EXPECT_EQ(blocks[1].commands, "./test\n");
    const fs::path picture = kSource / "docs/images/afterglow-scenes.png";
    ASSERT_TRUE(fs::exists(picture));
    EXPECT_LT(fs::file_size(picture), 300u * 1024);
}

}  // namespace
