// qxlog-cli's own help: the usage text of `qxlog-cli --help`, the command list over both
// command tables, the help command and the version. The man page (man_page.h) is made from
// the same texts.
//
// Help texts (these and CliCommand::help) are laid out for an 80-column terminal and follow
// a few rules that the man page relies on:
//   - a block starting with "Usage: " holds the command lines, continued on lines that start
//     with spaces;
//   - blocks are separated by one empty line;
//   - a line at the left margin ending in ':' heads the block below it ("Options:");
//   - a line indented by two spaces starts a list item: the term, two or more spaces, then its
//     text; a term too long for that puts the text on the next lines. The text goes on over
//     lines indented by more than two spaces;
//   - any other line belongs to a running paragraph.
//
// A command's help is written as a printf format whose %s are the messages it quotes (Tr() of
// the very texts the command shows, so the help cannot drift from them). Chinese help is laid
// out as written; English messages have other lengths, so English help is filled again.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli_command.h"
#include "core/model/language.h"

namespace qx::cli {

// The command lines of qxlog-cli as a whole.
inline constexpr const char* kUsageLines = TrNoop(
    "用法: qxlog-cli [--simulate MODELS] [--device N] [--library FILE|URL]\n"
    "                COMMAND [ARGS...]\n"
    "      qxlog-cli COMMAND --help\n"
    "      qxlog-cli help [COMMAND]\n"
    "      qxlog-cli --help | --version");

// What the program is for.
inline constexpr const char* kDescription = TrNoop(
    "与通过 USB 连接的 QX 数据记录仪或模拟的记录仪通讯, 处理记录文件\n"
    "(*.QXRec)。全局选项写在命令之前, 命令自己的选项和参数写在命令之后。");

// Items of the "Global options:" block.
inline constexpr const char* kGlobalOptions = TrNoop(
    "  --simulate MODELS  用模拟的仪器代替连接的仪器, 用逗号分隔: QX420, QX450,\n"
    "                     QX430, QX420B, QX440, QX7200, QX390, QX7000, QX410,\n"
    "                     QX460, QX610 或它们的序号 1..11\n"
    "  --scenario FILE    与 --simulate 一起: 模拟的仪器按场景文件变化, 实时值和\n"
    "                     仪器保存的记录都随它; 每行从开始起的时间和 CHANNEL=VALUE\n"
    "                     (temp ℃, hum, pressure, diffpressure, sound, co2, hcho),\n"
    "                     或 unplug, plug, 如 \"0s temp=5 hum=50\", \"20s temp=9.5\",\n"
    "                     \"60s unplug\", \"80s plug\"; 有错时打印行号和原因\n"
    "  --device N         有多台仪器时用第 N 台 (从 0 起, 按 'list' 的序号);\n"
    "                     默认为最后一台\n"
    "  --library FILE|URL\n"
    "                     用到记录库的命令所用的记录库: 记录库文件, 或服务器上\n"
    "                     的记录库 (postgresql://HOST/DB, 密码写在 ~/.pgpass)。\n"
    "                     不给时按设置文件中的 [Library] Database=, 再按 libpq\n"
    "                     的 PGSERVICE 或 PGDATABASE (postgresql://), 否则为数据\n"
    "                     文件夹中的 QXLibrary.sqlite。记录库在服务器上时, 下载\n"
    "                     和 monitor 也总是加入本机记录库; 服务器没有收到的由\n"
    "                     library sync 发送\n"
    "  --lang zh|en       输出、提示和帮助用中文或英文 (也可写成 --lang=en);\n"
    "                     不给时按 qxlog 的语言设置 (~/.config/Vornak/QX_CHN.conf),\n"
    "                     设置为 auto 时按 locale: LC_ALL, LC_MESSAGES, LANG 中\n"
    "                     第一个设置了且不为空的以 zh 开头时为中文, 否则为英文。\n"
    "                     字符集不是 UTF-8 的 locale (zh_CN.GB18030) 得到该字符集的\n"
    "                     输出\n"
    "  -h, --help         打印本说明; COMMAND --help 说明一个命令\n"
    "  --version          打印程序名和版本");

// Items of the "Exit status:" block; every command keeps to them.
inline constexpr const char* kExitStatus = TrNoop(
    "  0  命令完成了它的工作\n"
    "  1  工作失败: 没有仪器, 仪器拒绝或通讯失败, 记录文件不能读取, 文件不能\n"
    "     写入; 程序的提示在标准错误上\n"
    "  2  参数错误: 不认识的选项或命令, 缺少值或值错误; 什么也没做");

struct CliExample {
    const char* what;          // one sentence, ending in ':' (TrNoop: shown with Tr)
    std::string_view command;  // shell lines, '\n' between them
};

// The prefix of the first line of a usage block: "Usage: " or "用法: ", or empty.
std::string_view UsagePrefix(std::string_view line);
std::span<const CliExample> Examples();

// The instrument commands, the record commands, the library command and the help command, in
// the order of the command list.
std::vector<const CliCommand*> AllCommands();
const CliCommand* FindCommand(std::string_view name);

// The whole text of `qxlog-cli --help`, ending in a line end.
std::string UsageText();

// A command's help from its format and the messages it quotes; in English filled again.
std::string FormatHelp(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A help text that quotes nothing, as FormatHelp() gives it.
std::string HelpText(std::string text);
// A message as a help text quotes it: its lines joined by blanks; in English in double quotes,
// as English messages are sentences with their own punctuation.
std::string Quoted(std::string message);
// The paragraphs and list items of a help text filled to `width` terminal columns; the usage
// block, headings and list terms stay as they are, and so does a line end after ':'.
std::string FillHelp(std::string_view help, int width = 80);
// Terminal columns of a UTF-8 text: CJK and full-width characters take two.
int DisplayWidth(std::string_view text);

// The project version the build gives ("1.0.0") and the --version line ("qxlog-cli 1.0.0").
std::string_view ProgramVersion();
std::string VersionText();

}  // namespace qx::cli
