#include "man_page.h"

#include <algorithm>
#include <vector>

#include "cli_help.h"
#include "core/link/instrument_messages.h"
#include "core/model/text_util.h"

namespace qx::cli {
namespace {

constexpr std::string_view kUsagePrefix = "Usage: ";

constexpr std::string_view kNameLine =
    "qxlog\\-cli \\- talk to QX data loggers and work with their record files";

constexpr std::string_view kCommandsIntro =
    "Each command's text below is also what qxlog-cli COMMAND --help prints.";

struct FileEntry {
    std::string_view path;
    std::string text;
    std::string_view literal;  // no-fill lines under the text, or empty
};

// The first line of the message of a device node the user may not open.
std::string AccessDeniedLine() {
    const std::string message = msg::AccessDeniedMessage("...");
    return message.substr(0, message.find('\n'));
}

std::vector<FileEntry> Files() {
    return {
        {"*.QXRec",
         "Record files: download writes them, info and export read them. The window program "
         "qxlog(1) opens and saves the same files.",
         ""},
        {"*.ini",
         "Profiles: settings by name, as params --save-profile writes them (the instrument "
         "number and name only with --with-identity) and configure --profile reads them. The "
         "settings dialog of qxlog(1) saves and loads the same files.",
         ""},
        {"~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite",
         "The record library that 'library' keeps (below $XDG_DATA_HOME when it is set; "
         "--library names another), with QXLibrary.sqlite-wal and -shm beside it while it is in "
         "use. It can be rebuilt from the record files at any time.",
         ""},
        {"/dev/hidraw*",
         StrFormat("The device nodes of the attached instruments (USB HID, vendor 10c4, product "
                   "82cd). Linux lets only root open them; without a udev rule that gives the user "
                   "access the instrument commands fail with %s",
                   Quoted(AccessDeniedLine()).c_str()),
         ""},
        {"/usr/lib/udev/rules.d/70-qxlog.rules",
         "The udev rule for the instruments, installed with the program: it gives them to the user "
         "logged in at the seat and to the group plugdev. Without the package, copy it to "
         "/etc/udev/rules.d; in the file it is a single line:",
         "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"10c4\",\n"
         "ATTRS{idProduct}==\"82cd\", MODE=\"0660\",\n"
         "GROUP=\"plugdev\", TAG+=\"uaccess\"\n"
         "\n"
         "Then: udevadm control --reload-rules && udevadm trigger"},
        {"/usr/share/doc/qxlog/examples/qxlog-collect.timer",
         "With qxlog-collect.service beside it: systemd user units that run qxlog-cli collect "
         "every night at 23:55 into ~/qx-records. Copy both to ~/.config/systemd/user, then:",
         "systemctl --user daemon-reload\n"
         "systemctl --user enable --now qxlog-collect.timer\n"
         "loginctl enable-linger \"$USER\""},
        {"/usr/share/doc/qxlog/examples/qxlog-monitor.service",
         "A systemd user unit that runs qxlog-cli monitor --all every 10 s into the record "
         "library, for a PC that watches rooms all the time; its stop (SIGTERM) writes every "
         "reading. Copy it to ~/.config/systemd/user, then:",
         "systemctl --user daemon-reload\n"
         "systemctl --user enable --now qxlog-monitor.service\n"
         "loginctl enable-linger \"$USER\""},
    };
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

size_t IndentOf(std::string_view line) {
    return std::min(line.find_first_not_of(' '), line.size());
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\e";
                break;
            case '-':
                out += "\\-";
                break;
            case '\'':
                out += "\\(aq";
                break;
            case '`':
                out += "\\(ga";
                break;
            default:
                out += c;
        }
    }
}

// A finished input line: one starting with '.' would be a request.
std::string Line(std::string text) {
    if (text.starts_with('.')) text.insert(0, "\\&");
    text += '\n';
    return text;
}

// Bold for what is typed as it stands (options, names, values), italic for placeholders in
// capitals, roman for the rest.
const char* FontOfWord(std::string_view word) {
    bool lower = false, upper = false, digits = !word.empty();
    for (char c : word) {
        lower = lower || (c >= 'a' && c <= 'z');
        upper = upper || (c >= 'A' && c <= 'Z');
        digits = digits && c >= '0' && c <= '9';
    }
    if (word.starts_with('-') || lower || digits) return "B";
    if (upper) return "I";
    return nullptr;
}

bool SeparatesWords(char c) {
    return c == ' ' || c == '[' || c == ']' || c == '|' || c == ',';
}

// A command line or an option term with its words in their fonts.
std::string Syntax(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (SeparatesWords(text[i])) {
            AppendEscaped(out, text.substr(i, 1));
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !SeparatesWords(text[end]))
            ++end;
        std::string_view word = text.substr(i, end - i);
        std::string_view ellipsis;
        if (word.size() > 3 && word.ends_with("...")) {
            ellipsis = word.substr(word.size() - 3);
            word.remove_suffix(3);
        }
        if (const char* font = FontOfWord(word)) {
            out += "\\f";
            out += font;
            AppendEscaped(out, word);
            out += "\\fR";
        } else {
            AppendEscaped(out, word);
        }
        AppendEscaped(out, ellipsis);
        i = end;
    }
    return Line(std::move(out));
}

void AppendNoFill(std::string& page, std::string_view lines) {
    page += ".nf\n";
    for (std::string_view line : SplitLines(lines))
        page += line.empty() ? ".sp\n" : Line(RoffText(line));
    page += ".fi\n";
}

}  // namespace

std::string RoffText(std::string_view text) {
    std::string out;
    AppendEscaped(out, text);
    if (out.starts_with('.')) out.insert(0, "\\&");
    return out;
}

std::string HelpToRoff(std::string_view help) {
    enum class In { kNothing, kHeading, kItem, kParagraph };
    In in = In::kNothing;
    std::string out;
    const std::vector<std::string_view> lines = SplitLines(help);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        if (line.empty()) {
            in = In::kNothing;
            continue;
        }
        if (line.starts_with(kUsagePrefix)) {
            // The continuation lines keep their place under the first one.
            out += ".PP\n.nf\n" + Syntax(line.substr(kUsagePrefix.size()));
            while (n + 1 < lines.size() && lines[n + 1].starts_with(' ')) {
                const std::string_view next = lines[++n];
                out += Syntax(next.substr(std::min(IndentOf(next), kUsagePrefix.size())));
            }
            out += ".fi\n";
            in = In::kNothing;
            continue;
        }
        const size_t indent = IndentOf(line);
        const std::string_view text = line.substr(indent);
        if (indent == 0 && text.ends_with(':') && in == In::kNothing) {
            out += ".PP\n\\fB" + RoffText(text) + "\\fR\n";
            in = In::kHeading;
        } else if (indent == 2) {
            const size_t gap = text.find("  ");
            out += ".TP\n" + Syntax(text.substr(0, gap));
            if (gap != std::string_view::npos) {
                const std::string_view rest = text.substr(gap);
                out += Line(RoffText(rest.substr(IndentOf(rest))));
            }
            in = In::kItem;
        } else if (indent > 2 && in == In::kItem) {
            out += Line(RoffText(text));
        } else {
            if (in == In::kHeading) out += ".br\n";
            if (in == In::kNothing || in == In::kItem) out += ".PP\n";
            out += Line(RoffText(text));
            in = In::kParagraph;
        }
    }
    return out;
}

std::string ManPage() {
    std::string page;
    page += ".\\\" -*- coding: utf-8 -*-\n";
    page += ".\\\" Written by qxlog-cli-manpage from the help texts of qxlog-cli.\n";
    page += ".TH QXLOG\\-CLI 1 \"\" \"QX Logger " + RoffText(ProgramVersion()) +
            "\" \"User Commands\"\n";
    // No hyphens added inside options and paths; a ragged right edge, as Chinese texts without
    // spaces leave lines that cannot be stretched to the margin.
    page += ".nh\n.ad l\n";
    page += ".SH NAME\n";
    page += Line(std::string(kNameLine));
    page += ".SH SYNOPSIS\n.nf\n";
    for (std::string_view line : SplitLines(kUsageLines)) {
        page += Syntax(
            line.substr(line.starts_with(kUsagePrefix) ? kUsagePrefix.size() : IndentOf(line)));
    }
    page += ".fi\n";
    page += ".SH DESCRIPTION\n" + HelpToRoff(kDescription);
    page += ".SH GLOBAL OPTIONS\n" + HelpToRoff(kGlobalOptions);
    page += ".SH COMMANDS\n.PP\n" + Line(RoffText(kCommandsIntro));
    for (const CliCommand* command : AllCommands()) {
        page += ".SS " + RoffText(command->name) + "\n";
        page += HelpToRoff(std::string(command->help));
    }
    page += ".SH EXIT STATUS\n" + HelpToRoff(kExitStatus);
    page += ".SH EXAMPLES\n";
    for (const CliExample& example : Examples()) {
        page += ".PP\n";
        for (std::string_view line : SplitLines(example.what))
            page += Line(RoffText(line));
        page += ".PP\n.RS 4\n";
        AppendNoFill(page, example.command);
        page += ".RE\n";
    }
    page += ".SH FILES\n";
    for (const FileEntry& file : Files()) {
        page += ".TP\n\\fI" + RoffText(file.path) + "\\fR\n" + Line(RoffText(file.text));
        if (!file.literal.empty()) {
            page += ".IP\n";
            AppendNoFill(page, file.literal);
        }
    }
    page += ".SH SEE ALSO\n.BR qxlog (1),\n.BR udev (7)\n";
    return page;
}

}  // namespace qx::cli
