// afterglow-man-page PAGE FILE [DATE]: writes a manual page (section 6),
// PAGE afterglow or afterglow-inspect, from the tables their --help is
// printed from (runtime/options/options.h, tools/verbs.h), so the two can
// never tell different stories: the options or verbs with their values, the
// keys, the environment and the files. The exit status is the page's own.
//
//   afterglow-man-page afterglow build/afterglow.6 2026-12-08
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/options/options.h"
#include "verbs.h"

namespace {

// Plain text as roff shows it: backslashes are escapes there, a line that
// starts with a dot or an apostrophe is a request, and "\-" keeps option
// dashes from becoming hyphens.
std::string escaped(std::string_view text) {
    std::string out = text.starts_with('.') || text.starts_with('\'') ? "\\&" : "";
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A paragraph as roff input: lines of at most kLineBytes, as linters ask, a
// new one at each '\n' of text too (roff fills them into one paragraph).
constexpr size_t kLineBytes = 80;

std::string filled(std::string_view text) {
    std::string out;
    size_t lineStart = 0;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find_first_of(" \n", at), text.size());
        if (end > at) {
            const std::string word = escaped(text.substr(at, end - at));
            const bool first = out.size() == lineStart;
            if (!first && out.size() - lineStart + 1 + word.size() > kLineBytes) {
                out += '\n';
                lineStart = out.size();
            }
            if (out.size() != lineStart) out += ' ';
            out += word;
        }
        if (end < text.size() && text[end] == '\n') {
            out += '\n';
            lineStart = out.size();
        }
        at = end + 1;
    }
    return out + "\n";
}

std::string bold(std::string_view text) { return "\\fB" + escaped(text) + "\\fR"; }

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// "MS FILE" as the values' names in italics: " \fIMS\fR \fIFILE\fR".
std::string italicWords(std::string_view values) {
    std::string out;
    while (!values.empty()) {
        const size_t space = values.find(' ');
        out += " \\fI" + escaped(values.substr(0, space)) + "\\fR";
        values = space == std::string_view::npos ? std::string_view() : values.substr(space + 1);
    }
    return out;
}

// "-h, --help", "--shot MS FILE": what is typed in bold, the values'
// names in italics.
std::string optionTag(const OptionEntry& option) {
    std::string tag;
    if (option.shortName) tag = bold(std::string{'-', option.shortName}) + ", ";
    return tag + bold("--" + std::string(option.name)) + italicWords(option.arguments);
}

// A page is its sections in order; an item is a tagged paragraph, its tag
// already in roff.
struct Item {
    std::string tag;
    std::string words;
};

struct Section {
    std::string heading;
    std::string intro;  // plain text before the items, or ""
    std::vector<Item> items;
    std::string roff;  // after the items, as it is
};

Section section(std::string heading, std::string intro, std::vector<Item> items = {}, std::string roff = {}) {
    return {std::move(heading), std::move(intro), std::move(items), std::move(roff)};
}

struct Page {
    std::string name;               // "afterglow-inspect"
    std::string summary;            // for NAME, after the dash
    std::string synopsis;           // roff
    std::vector<Section> sections;  // DESCRIPTION onwards
};

std::vector<Item> plainItems(std::span<const HelpItem> items) {
    std::vector<Item> out;
    for (const HelpItem& item : items) out.push_back({bold(item.tag), std::string(item.words)});
    return out;
}

// Who wrote it and under which terms, the lines --version prints.
Section authorsSection() {
    return section("AUTHORS", std::string(kCopyrightLine) + ".\n" + std::string(kLicenceLine) + ".");
}

std::string roff(const Page& page, const std::string& date) {
    std::string out =
        ".TH " + upper(escaped(page.name)) + " 6 \"" + date + "\" \"afterglow " AFTERGLOW_VERSION "\" \"Games\"\n";
    out += ".SH NAME\n" + filled(page.name + " - " + page.summary);
    out += ".SH SYNOPSIS\n" + page.synopsis;
    for (const Section& section : page.sections) {
        out += ".SH " + section.heading + "\n";
        if (!section.intro.empty()) out += filled(section.intro);
        for (const Item& item : section.items) out += ".TP\n" + item.tag + "\n" + filled(item.words);
        out += section.roff;
    }
    return out;
}

// What --help does not say: the program's exit codes, as a caller sees them.
constexpr HelpItem kExitStatus[] = {
    {"0",
     "the music played to its end, or Esc or the window's close button ended it; a shot, frames or a capture were "
     "written; or the driver lacks GLSL shaders or framebuffers are unsupported (said in a message box)"},
    {"1",
     "no display to play on (or, for an offline run, no EGL context either), an AFTERGLOW_DATA_DIR that is not a "
     "folder, or a shot, frames or a capture that cannot be written or was stopped"},
    {"2", "a command line that cannot be used; the message names the argument"},
    {"129, 130, 143", "ended by SIGHUP, SIGINT or SIGTERM (128 + the signal, as a shell reports it)"},
    {"255", "the driver lacks framebuffer objects (said in a message box)"},
};

Page programPage() {
    Page page{"afterglow",
              "a music-synchronised real-time 3D presentation",
              ".B afterglow\n" + escaped(kSynopsisArguments) + "\n",
              {}};
    page.sections.push_back(section("DESCRIPTION", std::string(programDescription())));
    Section options = section("OPTIONS", "");
    for (const OptionEntry& option : optionTable())
        options.items.push_back({optionTag(option), std::string(option.help)});
    page.sections.push_back(options);
    for (const HelpSection& help : helpSections())
        page.sections.push_back(section(upper(help.heading), std::string(help.intro), plainItems(help.items)));
    page.sections.push_back(section("EXIT STATUS", "", plainItems(kExitStatus)));
    page.sections.push_back(section(
        "SEE ALSO", "", {}, ".BR afterglow\\-inspect (6),\n.BR afterglow\\-render\\-farm (6),\n.BR ffmpeg (1)\n"));
    page.sections.push_back(authorsSection());
    return page;
}

constexpr HelpItem kInspectFiles[] = {
    {"Textures/*.jpg, models/*.ASE, models/*.ase",
     "the data files it is made for, in the program's data folder (/usr/share/games/afterglow when installed as a "
     "package); the files named on the command line are taken from the working directory"},
};

constexpr HelpItem kInspectExitStatus[] = {
    {"0", "the verb did its work"},
    {"1", "a file that cannot be read or is refused; one line on stderr says why"},
    {"2", "a command line that cannot be used: an unknown verb, or the wrong arguments for one"},
};

Page inspectPage() {
    Page page{"afterglow-inspect", "look inside Afterglow's data files the way the program reads them", "", {}};
    for (const InspectVerb& verb : inspectVerbs())
        page.synopsis += (page.synopsis.empty() ? "" : ".br\n") + bold("afterglow-inspect") + " " + bold(verb.name) +
                         italicWords(verb.arguments) + "\n";
    page.synopsis += ".br\n" + bold("afterglow-inspect") + " " + bold("--help") + "\n";
    page.sections.push_back(
        section("DESCRIPTION",
                "Runs one verb on a data file of afterglow(6) with the readers the program itself "
                "uses, and prints what they found: for checking a file the program refuses or draws "
                "wrong, and for scripts that need the scenes' times."));
    Section verbs = section("VERBS", "");
    for (const InspectVerb& verb : inspectVerbs())
        verbs.items.push_back({bold(verb.name) + italicWords(verb.arguments), verb.words});
    verbs.items.push_back({bold("-h") + ", " + bold("--help"), "the verbs, then exit"});
    page.sections.push_back(verbs);
    page.sections.push_back(section("ENVIRONMENT", "No environment variable changes what it does."));
    page.sections.push_back(section("FILES", "", plainItems(kInspectFiles)));
    page.sections.push_back(section("EXIT STATUS", "", plainItems(kInspectExitStatus)));
    page.sections.push_back(section("SEE ALSO", "", {}, ".BR afterglow (6)\n"));
    page.sections.push_back(authorsSection());
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "";
    if ((argc != 3 && argc != 4) || (which != "afterglow" && which != "afterglow-inspect")) {
        std::fprintf(stderr, "usage: afterglow-man-page afterglow|afterglow-inspect FILE [DATE]\n");
        return 2;
    }
    const std::string page = roff(which == "afterglow" ? programPage() : inspectPage(), argc == 4 ? argv[3] : "");
    std::FILE* file = std::fopen(argv[2], "wb");
    if (!file || std::fwrite(page.data(), 1, page.size(), file) != page.size() || std::fclose(file) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
