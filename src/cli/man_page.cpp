#include "man_page.h"

#include <algorithm>
#include <vector>

#include "cli_help.h"
#include "core/link/instrument_messages.h"
#include "core/model/text_util.h"

namespace qx::cli {
namespace {

constexpr const char* kNameText = TrNoop("与 QX 数据记录仪通讯并处理其记录文件");

constexpr const char* kCommandsIntro =
    TrNoop("下面每个命令的说明也是 qxlog-cli COMMAND --help 打印的内容。");

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

// A section heading: in English as man(7) writes them, in capitals.
std::string Section(const char* title) {
    return ".SH " + RoffText(title) + "\n";
}

std::vector<FileEntry> Files() {
    return {
        {"*.QXRec",
         Tr("记录文件: download 写入, info 和 export 读取。窗口程序 qxlog(1) "
            "打开和保存同样的文件。"),
         ""},
        {"*.ini",
         Tr("配置文件: 按名称的参数, 由 params --save-profile 写入 (仪器编号和测量名只在 "
            "--with-identity 时写入), 由 configure --profile 读取。qxlog(1) "
            "的设置参数对话框保存和读取同样的文件。"),
         ""},
        {"~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite",
         Tr("'library' 保存的记录库 (设置了 $XDG_DATA_HOME 时在其下; --library 可指定别的), "
            "使用时旁边有 QXLibrary.sqlite-wal 和 -shm。它随时可以从记录文件重建。"),
         ""},
        {"/dev/hidraw*",
         StrFormat(
             Tr("已连接仪器的设备节点 (USB HID, 厂商 10c4, 产品 82cd)。Linux 只让 root 打开它们; "
                "没有给用户权限的 udev 规则时, 仪器命令失败并提示 %s"),
             Quoted(AccessDeniedLine()).c_str()),
         ""},
        {"/usr/lib/udev/rules.d/70-qxlog.rules",
         Tr("仪器的 udev 规则, 随程序安装: 它把仪器交给在座席上登录的用户和 plugdev "
            "组。没有安装包时, 把它复制到 /etc/udev/rules.d; 它在文件中是一行:"),
         "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"10c4\",\n"
         "ATTRS{idProduct}==\"82cd\", MODE=\"0660\",\n"
         "GROUP=\"plugdev\", TAG+=\"uaccess\"\n"
         "\n"
         "Then: udevadm control --reload-rules && udevadm trigger"},
        {"/usr/share/doc/qxlog/examples/qxlog-collect.timer",
         Tr("与旁边的 qxlog-collect.service 一起: 每天夜里 23:55 运行 qxlog-cli collect, 存到 "
            "~/qx-records 的 systemd 用户单元。把两者复制到 ~/.config/systemd/user, 然后:"),
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
        if (const std::string_view prefix = UsagePrefix(line); !prefix.empty()) {
            // The continuation lines keep their place under the first one: the prefix takes
            // as many columns as its width on a terminal.
            const size_t columns = static_cast<size_t>(DisplayWidth(prefix));
            out += ".PP\n.nf\n" + Syntax(line.substr(prefix.size()));
            while (n + 1 < lines.size() && lines[n + 1].starts_with(' ')) {
                const std::string_view next = lines[++n];
                out += Syntax(next.substr(std::min(IndentOf(next), columns)));
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
    page += Section(Tr("名称", "man page section"));
    page += Line("qxlog\\-cli \\- " + RoffText(Tr(kNameText)));
    page += Section(Tr("概述", "man page section")) + ".nf\n";
    for (std::string_view line : SplitLines(Tr(kUsageLines))) {
        const std::string_view prefix = UsagePrefix(line);
        page += Syntax(line.substr(!prefix.empty() ? prefix.size() : IndentOf(line)));
    }
    page += ".fi\n";
    page += Section(Tr("描述", "man page section")) + HelpToRoff(Tr(kDescription));
    page += Section(Tr("全局选项", "man page section")) + HelpToRoff(Tr(kGlobalOptions));
    page += Section(Tr("命令", "man page section")) + ".PP\n" + Line(RoffText(Tr(kCommandsIntro)));
    for (const CliCommand* command : AllCommands()) {
        page += ".SS " + RoffText(command->name) + "\n";
        page += HelpToRoff(std::string(command->help));
    }
    page += Section(Tr("退出状态", "man page section")) + HelpToRoff(Tr(kExitStatus));
    page += Section(Tr("示例", "man page section"));
    for (const CliExample& example : Examples()) {
        page += ".PP\n";
        for (std::string_view line : SplitLines(Tr(example.what)))
            page += Line(RoffText(line));
        page += ".PP\n.RS 4\n";
        AppendNoFill(page, example.command);
        page += ".RE\n";
    }
    page += Section(Tr("文件", "man page section"));
    for (const FileEntry& file : Files()) {
        page += ".TP\n\\fI" + RoffText(file.path) + "\\fR\n" + Line(RoffText(file.text));
        if (!file.literal.empty()) {
            page += ".IP\n";
            AppendNoFill(page, file.literal);
        }
    }
    page += Section(Tr("参见", "man page section")) + ".BR qxlog (1),\n.BR udev (7)\n";
    return page;
}

}  // namespace qx::cli
