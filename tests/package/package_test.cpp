// What the release carries: the Debian package in the games layout with the
// libraries it needs declared, the manual pages written from the tables
// --help is printed from, the changelogs and AppStream metadata of this
// version, and programs built with Debian's hardening flags. (Installing
// it, lintian and purging it again: scripts/check-package-install.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "runtime/options/options.h"
#include "support/install_list.h"
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

// The page as groff shows it, and mandoc's lint of it: nothing to say.
std::string renderedPage(const std::string& page) {
    const fs::path file = kBuildDir / page;
    const ProcessResult lint = runProcess({"/usr/bin/mandoc", "-T", "lint", "-W", "style", file.string()});
    EXPECT_EQ(lint.exitCode, 0) << lint.out << lint.err;
    EXPECT_EQ(lint.out + lint.err, "") << page;
    // A wide line keeps groff from hyphenating the names it is searched for.
    const ProcessResult shown = runProcess(
        {"/usr/bin/groff", "-man", "-Tutf8", "-ww", "-rLL=250n", "-P-c", "-P-b", "-P-o", "-P-u", file.string()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.err, "") << "groff warnings";
    // What is installed is the same page, compressed.
    const ProcessResult unpacked = runProcess({"/usr/bin/gzip", "-dc", file.string() + ".gz"});
    EXPECT_EQ(unpacked.out, fileContents(file)) << page << ".gz";
    for (const char* section :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "ENVIRONMENT", "FILES", "EXIT STATUS", "SEE ALSO", "AUTHORS"})
        EXPECT_NE(shown.out.find(std::string("\n") + section + "\n"), std::string::npos) << page << ": " << section;
    EXPECT_NE(shown.out.find("Copyright 2026 The Afterglow developers"), std::string::npos) << page;
    return shown.out;
}

TEST(ManPage, PagesLintCleanAndNameEveryOptionVerbAndVariable) {
    const std::string page = renderedPage("afterglow.6");
    const std::string help = usageText("afterglow");
    std::vector<std::string> names = wordsStartingWith(help, "--");
    for (const std::string& v : wordsStartingWith(help, "AFTERGLOW_")) names.push_back(v);
    ASSERT_GE(names.size(), 15u);
    for (const OptionEntry& option : optionTable())
        if (option.shortName) names.push_back(std::string{'-', option.shortName} + ", --" + std::string(option.name));
    for (const std::string& name : names) EXPECT_NE(page.find(name), std::string::npos) << name;
    EXPECT_NE(page.find("\nOPTIONS\n"), std::string::npos);
    for (const char* other : {"afterglow-inspect(6)", "afterglow-render-farm(6)"})
        EXPECT_NE(page.find(other), std::string::npos) << "SEE ALSO " << other;

    const std::string farm = renderedPage("afterglow-render-farm.6");
    for (const char* option : {"--parts", "--jobs", "--sshlogin", "--program", "--keep-parts"})
        EXPECT_NE(farm.find(option), std::string::npos) << option;

    const std::string inspect = renderedPage("afterglow-inspect.6");
    const ProcessResult usage = runProcess({AFTERGLOW_INSPECT_BINARY, "--help"});
    for (const char* verb : {"jpeg IN.jpg OUT.ppm", "ase FILE", "shape FILE INDEX [T ...]", "scenes"}) {
        EXPECT_NE(inspect.find(std::string("afterglow-inspect ") + verb), std::string::npos) << verb;
        EXPECT_NE(usage.out.find(std::string("afterglow-inspect ") + verb), std::string::npos) << verb;
    }
}

std::string field(const std::string& control, const std::string& name) {
    std::istringstream in(control);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find(name + ": ");
        if (at != std::string::npos && line.find_first_not_of(' ') == at) return line.substr(at + name.size() + 2);
    }
    return {};
}

TEST(Package, DebianPackageDeclaresTheLibrariesAndHoldsTheGamesLayout) {
    TempDir out;
    ProcessOptions inBuild;
    inBuild.workingDir = kBuildDir.string();
    inBuild.timeoutSec = 240;
    const ProcessResult pack = runProcess({AFTERGLOW_CPACK, "-G", "DEB", "-B", out.path().string()}, inBuild);
    ASSERT_EQ(pack.exitCode, 0) << pack.out << pack.err;
    const fs::path deb = out / ("afterglow_" AFTERGLOW_VERSION "-1_amd64.deb");
    ASSERT_TRUE(fs::exists(deb)) << pack.out;

    const ProcessResult info = runProcess({"/usr/bin/dpkg-deb", "--info", deb.string()});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(field(info.out, "Package"), "afterglow");
    EXPECT_EQ(field(info.out, "Version"), AFTERGLOW_VERSION "-1");
    EXPECT_EQ(field(info.out, "Section"), "games");
    const std::string depends = field(info.out, "Depends");
    // The program's own libraries, as dpkg-shlibdeps names their packages.
    for (const char* library : {"libglut3.12", "libglew2.2", "libsdl2-2.0-0", "libmpg123-0", "libfftw3-single3",
                                "libpng16-16", "libgl1", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in: " << depends;

    // docs/install.md's list of what an install puts under a prefix, under /usr, and
    // what only a package carries; nothing else (not the portable layout).
    const ProcessResult contents = runProcess({"/usr/bin/dpkg-deb", "--contents", deb.string()});
    ASSERT_EQ(contents.exitCode, 0) << contents.err;
    std::vector<std::string> files;
    std::istringstream lines(contents.out);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("-") && line.find(" ./usr/") != std::string::npos)
            files.push_back(line.substr(line.find(" ./usr/") + 7));
        else if (line.starts_with("-"))
            ADD_FAILURE() << "outside /usr: " << line;
    InstallList claimed = documentedInstallList();
    ASSERT_GE(claimed.patterns.size(), 10u) << "docs/install.md's list of installed files is not found";
    claimed.patterns.push_back("share/doc/afterglow/changelog.Debian.gz");
    claimed.patterns.push_back("share/lintian/overrides/afterglow");
    EXPECT_EQ(claimed.unclaimed(files), std::vector<std::string>{})
        << "in the package, but not in docs/install.md's list";
    EXPECT_EQ(claimed.missing(files), std::vector<std::string>{})
        << "in docs/install.md's list, but not in the package";
    EXPECT_NE(std::find(files.begin(), files.end(), "share/games/afterglow/models/city.ASE"), files.end());
}

// The top entries of both changelogs and the AppStream release name the
// version project() declares, and the metadata passes the validator.
TEST(Release, ChangelogsAndMetadataNameThisVersion) {
    const std::string changelog = fileContents(AFTERGLOW_SOURCE_DIR "/CHANGELOG.md");
    const size_t entry = changelog.find("\n## ");
    ASSERT_NE(entry, std::string::npos);
    const std::string heading = "\n## " AFTERGLOW_VERSION " (";
    EXPECT_EQ(changelog.compare(entry, heading.size(), heading), 0) << changelog.substr(entry, 40);
    const std::string date = changelog.substr(changelog.find('(', entry) + 1, 10);
    EXPECT_EQ(
        fileContents(AFTERGLOW_SOURCE_DIR "/cmake/debian/changelog").rfind("afterglow (" AFTERGLOW_VERSION "-1) ", 0),
        0u);

    const fs::path metainfo = kBuildDir / "org.example.afterglow.metainfo.xml";
    EXPECT_NE(fileContents(metainfo).find("<release version=\"" AFTERGLOW_VERSION "\" date=\"" + date + "\"/>"),
              std::string::npos)
        << "the release and its date from CHANGELOG.md";
    const ProcessResult valid =
        runProcess({"/usr/bin/appstreamcli", "validate", "--pedantic", "--no-net", "--no-color", metainfo.string()});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
    for (const char* complaint : {"E: ", "W: ", "I: ", "P: "})
        EXPECT_EQ(valid.out.find(complaint), std::string::npos) << valid.out;
    EXPECT_TRUE(fs::is_regular_file(kBuildDir / ("afterglow-" AFTERGLOW_VERSION "-screenshot.png")))
        << "the screenshot the metadata names";
}

// Debian's hardening flags took: hardening-check finds every protection it
// can see in both programs (it exits 1 on any "no"). Stack clash probes are
// only there in functions with frames over a page, so "unknown" is as good
// an answer as any. Control-flow protection is checked on the objects:
// Debian 12's C library start files (crti.o, Scrt1.o) lack its marks, so the
// linker cannot mark any program of that system as protected, not even its
// own (hardening-check /usr/bin/ls says "no" as well).
TEST(Release, ProgramsAreBuiltWithEveryHardeningFlag) {
    const ProcessResult check = runProcess(
        {"/usr/bin/hardening-check", "--nocfprotection", (kBuildDir / "afterglow").string(), AFTERGLOW_INSPECT_BINARY});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    for (const char* protection :
         {"Position Independent Executable: yes", "Stack protected: yes", "Fortify Source functions: yes",
          "Read-only relocations: yes", "Immediate binding: yes"})
        EXPECT_EQ(countOf(check.out, protection), 2u) << protection << " in:\n" << check.out;
    EXPECT_EQ(countOf(check.out, "Stack clash protection: no"), 0u) << check.out;

    std::istringstream libraries(AFTERGLOW_LAYER_LIBRARIES);
    for (std::string library; std::getline(libraries, library, ':');) {
        const std::string name = fs::path(library).filename().string();
        const ProcessResult notes = runProcess({"/usr/bin/readelf", "-n", library});
        EXPECT_GT(countOf(notes.out, "\nFile: "), 0u) << name;
        EXPECT_EQ(countOf(notes.out, "x86 feature: IBT, SHSTK"), countOf(notes.out, "\nFile: "))
            << name << ": every object built with -fcf-protection";
    }
}

}  // namespace
