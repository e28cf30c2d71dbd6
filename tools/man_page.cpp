// afterglow-man-page FILE: writes the manual page (section 6) from the text
// that --help prints, so the two can never tell different stories.
//
// The help text is read by its shape: "usage: NAME ARGS" first, then
// paragraphs of description, then sections that start with "heading:" at
// the margin (one word) and list entries indented by two spaces, the tag and its words
// separated by a run of spaces, the words going on in deeper-indented lines.
#include <cctype>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/options/options.h"

namespace {

// Plain text as roff shows it: backslashes are escapes there, a line that
// starts with a dot or an apostrophe is a request, and "\-" keeps option
// dashes from becoming hyphens.
std::string escaped(const std::string& text) {
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

bool isPlaceholder(const std::string& word) {
    bool letters = false;
    for (char c : word) {
        if (c >= 'a' && c <= 'z') return false;
        letters |= c >= 'A' && c <= 'Z';
    }
    return letters && !word.starts_with('-');
}

// "--shot MS FILE": what is typed as it stands in bold, the placeholders in
// italics.
std::string formattedTag(const std::string& tag) {
    std::istringstream words(tag);
    std::string out;
    bool first = true;
    for (std::string word; words >> word; first = false) {
        if (!first) out += ' ';
        out += (!first && isPlaceholder(word) ? "\\fI" : "\\fB") + escaped(word) + "\\fR";
    }
    return out;
}

std::string trimmed(const std::string& line) {
    const size_t begin = line.find_first_not_of(' ');
    return begin == std::string::npos ? std::string() : line.substr(begin);
}

std::string manPage(const std::string& help) {
    std::istringstream in(help);
    std::string page = ".TH AFTERGLOW 6 \"\" \"afterglow " AFTERGLOW_VERSION "\" \"Games\"\n"
                       ".SH NAME\n"
                       "afterglow \\- a music\\-synchronised real\\-time 3D presentation\n";
    std::string line;
    std::getline(in, line);
    const std::string usage = "usage: ";
    if (line.starts_with(usage)) {
        const std::string rest = line.substr(usage.size());
        const size_t space = rest.find(' ');
        page += ".SH SYNOPSIS\n.B " + escaped(rest.substr(0, space)) + "\n";
        if (space != std::string::npos) page += escaped(rest.substr(space + 1)) + "\n";
    }
    page += ".SH DESCRIPTION\n";
    // A blank line parts two paragraphs of text; before a heading or an
    // entry it needs no mark of its own.
    bool paragraphEnded = false;
    while (std::getline(in, line)) {
        const std::string text = trimmed(line);
        if (text.empty()) {
            paragraphEnded = true;
            continue;
        }
        const bool heading = line[0] != ' ' && text.ends_with(':') && text.find(' ') == std::string::npos;
        const bool entry = line.starts_with("  ") && line[2] != ' ';
        if (heading) {
            std::string name = text.substr(0, text.size() - 1);
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            page += ".SH " + name + "\n";
        } else if (entry) {
            const size_t gap = text.find("  ");
            page += ".TP\n" + formattedTag(text.substr(0, gap)) + "\n";
            if (gap != std::string::npos) page += escaped(trimmed(text.substr(gap))) + "\n";
        } else {
            if (paragraphEnded) page += ".PP\n";
            page += escaped(text) + "\n";
        }
        paragraphEnded = false;
    }
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: afterglow-man-page FILE\n");
        return 2;
    }
    const std::string page = manPage(usageText("afterglow"));
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(page.data(), 1, page.size(), file) != page.size() || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
