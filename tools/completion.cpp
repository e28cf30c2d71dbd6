// afterglow-completion bash|zsh FILE: writes the shell completion of
// afterglow from its table of options (runtime/options/options.h), so a new
// option completes as soon as it is in the table. What a value completes to
// comes from its name there: FILE a file, DIR a folder, anything else
// (MS, N) nothing, as there is no list to choose from.
//
//   afterglow-completion bash build/completions/afterglow
//   afterglow-completion zsh build/completions/_afterglow
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/options/options.h"

namespace {

std::vector<std::string_view> valueNames(const OptionEntry& option) {
    std::vector<std::string_view> names;
    std::string_view rest = option.arguments;
    while (!rest.empty()) {
        const size_t space = rest.find(' ');
        names.push_back(rest.substr(0, space));
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    return names;
}

std::string dashed(const OptionEntry& option) { return "--" + std::string(option.name); }

// The first clause of an option's words: enough for a menu line.
std::string_view summary(std::string_view help) {
    const size_t end = help.find_first_of(";:(");
    std::string_view text = help.substr(0, end);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Text inside a single-quoted shell word.
std::string singleQuoted(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out;
}

// bash (with bash-completion's helpers): an option's values by how far back
// the option is, then the options themselves.
std::string bashScript() {
    std::string byDistance[3];  // case arms: the option 1 or 2 words before the one completed
    std::string words;
    for (const OptionEntry& option : optionTable()) {
        words += (words.empty() ? "" : " ") + dashed(option);
        if (option.shortName) words += std::string(" -") + option.shortName;
        const std::vector<std::string_view> values = valueNames(option);
        for (size_t k = 0; k < values.size() && k < 2; ++k) {
            const std::string_view value = values[k];
            const std::string action = value == "FILE" ? "_filedir" : value == "DIR" ? "_filedir -d" : ":";
            byDistance[k + 1] += "        " + dashed(option) + ") " + action + "; return ;;\n";
        }
    }
    std::string out =
        "# bash completion for afterglow -*- shell-script -*-\n"
        "# Written by the build from the program's table of options (tools/completion.cpp).\n\n"
        "_afterglow()\n{\n"
        "    local cur prev words cword split\n"
        "    _init_completion -s || return\n\n"
        "    # A value: the option is the word before this one or, for its second\n"
        "    # value, the one before that.\n"
        "    case $prev in\n" +
        byDistance[1] + "    esac\n";
    if (!byDistance[2].empty())
        out += "    if ((cword >= 2)); then\n        case ${words[cword - 2]} in\n" + byDistance[2] +
               "        esac\n    fi\n";
    out +=
        "    $split && return\n\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W '" +
        words +
        "' -- \"$cur\"))\n"
        "    fi\n"
        "    # Otherwise a width and a height: nothing to offer.\n"
        "} &&\n"
        "    complete -F _afterglow afterglow\n";
    return out;
}

// zsh: one _arguments argument an option, its words as the description.
std::string zshScript() {
    std::string out =
        "#compdef afterglow\n"
        "# zsh completion for afterglow. Written by the build from the program's table of\n"
        "# options (tools/completion.cpp).\n\n"
        "_arguments -s -S \\\n";
    for (const OptionEntry& option : optionTable()) {
        std::string description = "[";
        for (char c : singleQuoted(summary(option.help)))
            description += c == ']' ? std::string("\\]") : std::string(1, c);
        description += "]";
        const std::vector<std::string_view> values = valueNames(option);
        std::string argument;
        if (option.shortName) {
            const std::string both = std::string("-") + option.shortName + " " + dashed(option);
            argument = "'(" + both + ")'{-" + option.shortName + "," + dashed(option) + "}'" + description;
        } else {
            argument = "'" + dashed(option) + (values.size() == 1 ? "=" : "") + description;
        }
        for (const std::string_view value : values) {
            const std::string action = value == "FILE" ? "_files" : value == "DIR" ? "_files -/" : " ";
            argument += ":" + std::string(value) + ":" + action;
        }
        out += "  " + argument + "' \\\n";
    }
    out += "  '1:width: ' \\\n  '2:height: '\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string shell = argc > 1 ? argv[1] : "";
    if (argc != 3 || (shell != "bash" && shell != "zsh")) {
        std::fprintf(stderr, "usage: afterglow-completion bash|zsh FILE\n");
        return 2;
    }
    const std::string script = shell == "bash" ? bashScript() : zshScript();
    std::FILE* file = std::fopen(argv[2], "wb");
    if (!file || std::fwrite(script.data(), 1, script.size(), file) != script.size() || std::fclose(file) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
