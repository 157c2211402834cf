#include "cli_help.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <span>

#include "alarm_commands.h"
#include "core/model/language.h"

#ifndef QX_VERSION
#error "QX_VERSION (the project version) comes from the build"
#endif

namespace qx::cli {
namespace {

constexpr CliExample kExamples[] = {
    {TrNoop("不接仪器, 在模拟的 QX450 上试用这些命令:"),
     "qxlog-cli --simulate QX450 status\n"
     "qxlog-cli --simulate QX450 params --recorded"},
    {TrNoop("每天夜里 (/usr/share/doc/qxlog/examples 中的 systemd 定时器这样做): 把每台\n"
            "连接的仪器下载到一个文件夹, 文件写入并读回之后用它自己的参数重新开始记录;\n"
            "下载失败的仪器保持原样, 退出状态会写明:"),
     "qxlog-cli collect --dir \"$HOME/records\""},
    {TrNoop("把记录文件存为同一文件夹中的 CSV (UTF-8, ISO 8601 时间):"),
     "qxlog-cli export logger.QXRec --format csv -o records/logger.csv"},
    {TrNoop("把记录文件最近七天的样本存为工作簿:"),
     "qxlog-cli export logger.QXRec --last-days 7 -o week.xlsx"},
    {TrNoop("连接了两台仪器时, 读取第一台的参数:"),
     "qxlog-cli list\n"
     "qxlog-cli --device 0 params"},
    {TrNoop("把一台仪器的参数保存为配置文件, 用它设置每台连接的仪器, 从现在起每\n"
            "10 分钟记录一次; 配置文件不含编号和测量名, 所以每台仪器保留自己的:"),
     "qxlog-cli --device 0 params --save-profile site.ini >/dev/null\n"
     "qxlog-cli configure --all --profile site.ini --set interval=10min \\\n"
     "    --set start=immediate"},
    {TrNoop("今晚用这个配置文件的一轮会做什么, 每台仪器一行, 不停止也不写入:"),
     "qxlog-cli collect --dir \"$HOME/records\" --profile site.ini --dry-run"},
    {"A download into the record library, then its temperatures against the\n"
     "limits 2 to 8 °C, with a workbook (name more instruments to compare them):",
     "qxlog-cli library add logger.QXRec\n"
     "qxlog-cli library compare A0200001 --series temp --limit 2,8 \\\n"
     "    -o rooms.xlsx"},
};

void PrintCommandHelp(const CliCommand& command) {
    std::printf("%s\n", std::string(command.help).c_str());
}

int RunHelp(const CliOptions&, std::span<const std::string> args) {
    if (args.empty()) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (args.size() > 1) {
        std::fprintf(stderr, Tr("qxlog-cli help: 只能有一个命令, 而不是 '%s'\n"), args[1].c_str());
        return kExitUsage;
    }
    const CliCommand* command = FindCommand(args[0]);
    if (!command) {
        std::fprintf(stderr, Tr("qxlog-cli help: 不认识的命令 '%s'; 见 qxlog-cli --help\n"),
                     args[0].c_str());
        return kExitUsage;
    }
    PrintCommandHelp(*command);
    return kExitOk;
}

std::string HelpHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli help [COMMAND]\n"
           "\n"
           "打印 qxlog-cli 的用法, 同 qxlog-cli --help; 给出 COMMAND 时打印该命令的\n"
           "帮助, 同 qxlog-cli COMMAND --help。\n"
           "\n"
           "退出状态:\n"
           "  0  已打印帮助\n"
           "  2  不认识的命令, 或多于一个命令"));
}

constexpr CliCommand kHelpCommand = {
    "help", TrNoop("打印 qxlog-cli 的用法或一个命令的帮助"), {HelpHelp}, RunHelp};

void AppendLine(std::string& text, std::string_view line) {
    text += line;
    text += '\n';
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

// Lines of running text filled after `first` (the first line) and `rest` (the others). Words
// two or more blanks apart stay together as they stand (a quoted line of output). A line ending
// in ':' ends its line here too, as what follows it is shown on a line of its own.
void Fill(std::string& out, std::span<const std::string_view> lines, std::string_view first,
          std::string_view rest, int width) {
    std::string line(first);
    bool empty = true;
    for (size_t k = 0; k < lines.size(); ++k) {
        const std::string_view text = lines[k];
        for (size_t i = text.find_first_not_of(' '); i < text.size();) {
            size_t end = std::min(text.find(' ', i), text.size());
            size_t next = text.find_first_not_of(' ', end);
            while (next != std::string_view::npos && next - end >= 2) {
                end = std::min(text.find(' ', next), text.size());
                next = text.find_first_not_of(' ', end);
            }
            const std::string_view word = text.substr(i, end - i);
            if (!empty && DisplayWidth(line) + 1 + DisplayWidth(word) > width) {
                AppendLine(out, line);
                line = rest;
                empty = true;
            }
            if (!empty) line += ' ';
            line += word;
            empty = false;
            i = next;
        }
        if (text.ends_with(':') && k + 1 < lines.size() && !empty) {
            AppendLine(out, line);
            line = rest;
            empty = true;
        }
    }
    if (!empty) AppendLine(out, line);
}

// Every line of `lines` with `indent` before it.
void AppendIndented(std::string& text, std::string_view lines, std::string_view indent) {
    for (size_t start = 0; start < lines.size();) {
        const size_t end = std::min(lines.find('\n', start), lines.size());
        text += indent;
        AppendLine(text, lines.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::span<const CliExample> Examples() {
    return kExamples;
}

std::vector<const CliCommand*> AllCommands() {
    std::vector<const CliCommand*> all;
    for (auto table : {InstrumentCommands(), RecordCommands(), LibraryCommands(), AlarmCommands(),
                       SignCommands()}) {
        for (const CliCommand& c : table)
            all.push_back(&c);
    }
    all.push_back(&kHelpCommand);
    return all;
}

const CliCommand* FindCommand(std::string_view name) {
    for (const CliCommand* c : AllCommands()) {
        if (c->name == name) return c;
    }
    return nullptr;
}

std::string UsageText() {
    std::string text;
    AppendLine(text, Tr(kUsageLines));
    AppendLine(text, "");
    AppendLine(text, Tr(kDescription));
    AppendLine(text, "");
    AppendLine(text, Tr("全局选项:"));
    AppendLine(text, Tr(kGlobalOptions));
    AppendLine(text, "");
    AppendLine(text, Tr("命令:"));
    for (const CliCommand* c : AllCommands()) {
        std::string line = "  " + std::string(c->name);
        line.resize(15, ' ');
        AppendLine(text, line + Tr(c->summary));
    }
    AppendLine(text, "");
    AppendLine(text, Tr("退出状态:"));
    AppendLine(text, Tr(kExitStatus));
    AppendLine(text, "");
    AppendLine(text, Tr("示例:"));
    for (const CliExample& example : kExamples) {
        if (&example != kExamples) AppendLine(text, "");
        AppendIndented(text, Tr(example.what), "  ");
        AppendIndented(text, example.command, "    ");
    }
    return text;
}

std::string_view UsagePrefix(std::string_view line) {
    for (std::string_view prefix :
         {std::string_view("Usage: "), std::string_view(NoTr("用法: "))}) {
        if (line.starts_with(prefix)) return prefix;
    }
    return {};
}

std::string FormatHelp(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return HelpText(std::move(text));
}

std::string HelpText(std::string text) {
    if (CurrentLanguage() == Language::kChinese) return text;
    text = FillHelp(text);
    text.pop_back();  // help texts end without a line end
    return text;
}

std::string Quoted(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    if (CurrentLanguage() == Language::kChinese) return message;
    return '"' + message + '"';
}

std::string FillHelp(std::string_view help, int width) {
    const std::vector<std::string_view> lines = SplitLines(help);
    std::string out;
    for (size_t n = 0; n < lines.size();) {
        const std::string_view line = lines[n];
        const size_t indent = IndentOf(line);
        const bool blockStart = n == 0 || lines[n - 1].empty();
        if (line.empty() || (indent == 0 && line.ends_with(':') && blockStart)) {
            AppendLine(out, line);
            ++n;
            continue;
        }
        if (!UsagePrefix(line).empty()) {
            do {
                AppendLine(out, lines[n++]);
            } while (n < lines.size() && lines[n].starts_with(' '));
            continue;
        }
        std::string first(indent, ' ');
        size_t textStart = indent;
        if (indent == 2) {
            // A list item: the term stays, its text goes on from the column it starts in.
            const size_t gap = line.find("  ", 2);
            if (gap == std::string_view::npos) {
                AppendLine(out, line);
                if (++n >= lines.size() || IndentOf(lines[n]) <= 2) continue;
                textStart = IndentOf(lines[n]);
                first.assign(textStart, ' ');
            } else {
                textStart = line.find_first_not_of(' ', gap);
                first = line.substr(0, textStart);
            }
        }
        // The lines of this paragraph or item text.
        std::vector<std::string_view> text;
        if (indent == 2 && textStart > 2 && IndentOf(lines[n]) == 2) {
            text.push_back(lines[n++].substr(textStart));
        }
        while (n < lines.size() && !lines[n].empty() &&
               (indent == 2 ? IndentOf(lines[n]) > 2 : IndentOf(lines[n]) == indent)) {
            text.push_back(lines[n++]);
        }
        Fill(out, text, first, std::string(textStart, ' '), width);
    }
    return out;
}

int DisplayWidth(std::string_view s) {
    int width = 0;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0) {
            cp = c & 0x07u, n = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0Fu, n = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1Fu, n = 2;
        }
        for (size_t k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        width += (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                         (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFF60)
                     ? 2
                     : 1;
        i += n;
    }
    return width;
}

std::string_view ProgramVersion() {
    return QX_VERSION;
}

std::string VersionText() {
    return "qxlog-cli " + std::string(ProgramVersion());
}

}  // namespace qx::cli
