// afterglow-man-page FILE [DATE]: writes the manual page (section 6) from
// the tables --help is printed from (runtime/options.h), so the two can
// never tell different stories: the options with their values, the keys,
// the environment and the files. The exit status is the page's own.
//
//   afterglow-man-page build/afterglow.6 2024-06-01
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/options/options.h"

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

// "-h, --help", "--shot MS FILE": what is typed in bold, the values'
// names in italics.
std::string optionTag(const OptionSpec& option) {
    std::string tag;
    if (option.shortName) tag = bold(std::string{'-', option.shortName}) + ", ";
    tag += bold("--" + std::string(option.name));
    std::string_view values = option.arguments;
    while (!values.empty()) {
        const size_t space = values.find(' ');
        tag += " \\fI" + escaped(values.substr(0, space)) + "\\fR";
        values = space == std::string_view::npos ? std::string_view() : values.substr(space + 1);
    }
    return tag;
}

void addItem(std::string& page, const std::string& tag, std::string_view words) {
    page += ".TP\n" + tag + "\n" + filled(words);
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

std::string manPage(const std::string& date) {
    std::string page = ".TH AFTERGLOW 6 \"" + date + "\" \"afterglow " AFTERGLOW_VERSION "\" \"Games\"\n";
    page += ".SH NAME\nafterglow \\- a music\\-synchronised real\\-time 3D presentation\n";
    page += ".SH SYNOPSIS\n.B afterglow\n" + escaped(kSynopsisArguments) + "\n";
    page += ".SH DESCRIPTION\n" + filled(programDescription());
    page += ".SH OPTIONS\n";
    for (const OptionSpec& option : optionTable()) addItem(page, optionTag(option), option.help);
    for (const HelpSection& section : helpSections()) {
        page += ".SH " + upper(section.heading) + "\n";
        if (!section.intro.empty()) page += filled(section.intro);
        for (const HelpItem& item : section.items) addItem(page, bold(item.tag), item.words);
    }
    page += ".SH EXIT STATUS\n";
    for (const HelpItem& item : kExitStatus) addItem(page, bold(item.tag), item.words);
    page += ".SH SEE ALSO\n.BR ffmpeg (1)\n";
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: afterglow-man-page FILE [DATE]\n");
        return 2;
    }
    const std::string page = manPage(argc == 3 ? argv[2] : "");
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(page.data(), 1, page.size(), file) != page.size() || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
