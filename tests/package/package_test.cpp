// What the release carries: the Debian package with the libraries it needs
// declared, and the manual page written from the tables --help is printed
// from.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "runtime/options/options.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuildDir = AFTERGLOW_DATA_DIR;

// The words of text that start with start ("--fps", "AFTERGLOW_DATA_DIR"),
// cut at the first character that cannot be part of such a name.
std::vector<std::string> wordsStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> words;
    for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
        if (at > 0 && text[at - 1] != ' ' && text[at - 1] != '\n') continue;
        size_t end = at;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-' ||
                                     text[end] == '_'))
            ++end;
        words.push_back(text.substr(at, end - at));
    }
    return words;
}

TEST(ManPage, RendersCleanlyAndNamesEveryOptionAndVariableOfTheHelp) {
    // A wide line keeps groff from hyphenating the names it is searched for.
    const ProcessResult page = runProcess({"/usr/bin/groff", "-man", "-Tutf8", "-ww", "-rLL=250n", "-P-c", "-P-b",
                                           "-P-o", "-P-u", (kBuildDir / "afterglow.6").string()});
    ASSERT_EQ(page.exitCode, 0) << page.err;
    EXPECT_EQ(page.err, "") << "groff warnings";
    const std::string help = usageText("afterglow");
    std::vector<std::string> names = wordsStartingWith(help, "--");
    for (const std::string& v : wordsStartingWith(help, "AFTERGLOW_")) names.push_back(v);
    ASSERT_GE(names.size(), 15u);
    for (const OptionSpec& option : optionTable())
        if (option.shortName) names.push_back(std::string{'-', option.shortName} + ", --" + std::string(option.name));
    for (const std::string& name : names) EXPECT_NE(page.out.find(name), std::string::npos) << name;
    for (const char* section :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "FILES", "EXIT STATUS", "SEE ALSO"})
        EXPECT_NE(page.out.find(std::string("\n") + section + "\n"), std::string::npos) << section;
}

std::string field(const std::string& control, const std::string& name) {
    std::istringstream in(control);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find(name + ": ");
        if (at != std::string::npos && line.find_first_not_of(' ') == at) return line.substr(at + name.size() + 2);
    }
    return {};
}

TEST(Package, DebianPackageDeclaresTheLibrariesAndHoldsTheInstall) {
    TempDir out;
    ProcessOptions inBuild;
    inBuild.workingDir = kBuildDir.string();
    inBuild.timeoutSec = 240;
    const ProcessResult pack = runProcess({AFTERGLOW_CPACK, "-G", "DEB", "-B", out.path().string()}, inBuild);
    ASSERT_EQ(pack.exitCode, 0) << pack.out << pack.err;
    const fs::path deb = out / ("afterglow_" AFTERGLOW_VERSION "_amd64.deb");
    ASSERT_TRUE(fs::exists(deb)) << pack.out;

    const ProcessResult info = runProcess({"/usr/bin/dpkg-deb", "--info", deb.string()});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(field(info.out, "Package"), "afterglow");
    EXPECT_EQ(field(info.out, "Section"), "games");
    const std::string depends = field(info.out, "Depends");
    // The program's own libraries, as dpkg-shlibdeps names their packages.
    for (const char* library : {"libglut3.12", "libglew2.2", "libsdl2-2.0-0", "libmpg123-0", "libfftw3-single3",
                                "libpng16-16", "libgl1", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in: " << depends;

    const ProcessResult contents = runProcess({"/usr/bin/dpkg-deb", "--contents", deb.string()});
    ASSERT_EQ(contents.exitCode, 0) << contents.err;
    for (const char* file : {"./usr/bin/afterglow", "./usr/bin/afterglow-inspect", "./usr/bin/afterglow-render-farm",
                             "./usr/share/afterglow/demo.mp3", "./usr/share/afterglow/Textures/logo.jpg",
                             "./usr/share/afterglow/shaders/phong.vs", "./usr/share/afterglow/models/city.ASE",
                             "./usr/share/man/man6/afterglow.6", "./usr/share/applications/afterglow.desktop",
                             "./usr/share/icons/hicolor/256x256/apps/afterglow.png"})
        EXPECT_NE(contents.out.find(std::string(" ") + file + "\n"), std::string::npos) << file;
    EXPECT_EQ(contents.out.find("./demo.mp3"), std::string::npos) << "the portable layout stays out of the package";
}

}  // namespace
