// qxlog-cli library: the record library from the command line. One command with subcommands
// (kSubcommands), each given the library's location and its own arguments.
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_help.h"
#include "core/library/library_location.h"
#include "core/library/library_rebuild.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "core/records/query_options.h"
#include "json_writer.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "library";
constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";
constexpr const char* kRebuildHint =
    TrNoop("可以用 qxlog-cli library rebuild 从记录文件重建记录库。");
constexpr const char* kAddSummary =
    TrNoop("%d 个文件: 加入 %d 个, 已有 %d 个, 失败 %d 个; 新样本 %lld 个, 冲突样本 %lld 个");
constexpr const char* kSound =
    TrNoop("记录库 %s 完好: %lld 台仪器, %lld 个记录, %lld 个样本, %lld 个记录文件");
constexpr const char* kDamaged = TrNoop("记录库 %s 已损坏:");
constexpr const char* kRebuilt = TrNoop("记录库 %s 已从记录文件重建,原来的记录库保存为 %s");
constexpr const char* kBuilt = TrNoop("记录库 %s 已从记录文件建立");
constexpr const char* kNoInstrument = TrNoop("记录库中没有仪器 %s");

int Usage(const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

// A library failure: the message, the engine's words, and for damage how to rebuild.
void PrintFailure(const std::string& message, const LibraryError& error) {
    std::fprintf(stderr, "%s\n", message.c_str());
    if (!error.detail.empty()) std::fprintf(stderr, "%s\n", error.detail.c_str());
    if (error.fault == LibraryFault::kDamaged) std::fprintf(stderr, "%s\n", Tr(kRebuildHint));
}

std::unique_ptr<RecordLibrary> Open(const std::string& location, LibraryOpen mode) {
    OpenedLibrary opened = OpenLibrary(location, mode);
    if (!opened.library) PrintFailure(opened.message, opened.error);
    return std::move(opened.library);
}

// The lines of an addition, on stdout or (failures) stderr, counted into `counts`.
struct AddCounts {
    int files = 0, added = 0, known = 0, failed = 0;
    long long samples = 0, conflicts = 0;
};
void PrintAdded(const AddResult& r, const LibraryError& error, AddCounts& counts) {
    ++counts.files;
    counts.samples += r.added;
    counts.conflicts += r.conflicts;
    if (r.status == AddStatus::kAdded) ++counts.added;
    if (r.status == AddStatus::kKnown || r.status == AddStatus::kCopy) ++counts.known;
    if (!r.Ok()) ++counts.failed;
    for (const std::string& line : AddResultLines(r))
        std::fprintf(r.Ok() ? stdout : stderr, "%s\n", line.c_str());
    if (r.status == AddStatus::kFailed && error.fault == LibraryFault::kDamaged)
        std::fprintf(stderr, "%s\n", Tr(kRebuildHint));
    std::fflush(stdout);
}
void PrintSummary(const AddCounts& c) {
    std::printf("%s\n", StrFormat(Tr(kAddSummary), c.files, c.added, c.known, c.failed, c.samples,
                                  c.conflicts)
                            .c_str());
}

// ---- add ---------------------------------------------------------------------------------

int RunAdd(const std::string& location, std::span<const std::string> args) {
    if (args.empty()) return Usage(Tr("add 需要记录文件或文件夹"));
    for (const std::string& a : args) {
        if (a.starts_with("-")) return Usage(StrFormat(Tr("不认识的选项 %s"), a.c_str()));
    }
    auto library = Open(location, LibraryOpen::kCreate);
    if (!library) return kExitFailure;
    AddCounts counts;
    library->AddPaths(args, [&](const AddResult& r) { PrintAdded(r, library->Error(), counts); });
    PrintSummary(counts);
    return counts.failed ? kExitFailure : kExitOk;
}

// ---- list --------------------------------------------------------------------------------

void ListJson(const std::string& location, const std::vector<RecordingEntry>& list) {
    JsonWriter j;
    j.Open('{').Key("library").String(location).Key("recordings").Open('[');
    for (const RecordingEntry& e : list) {
        const LibraryRecording& r = e.recording;
        j.Open('{');
        j.Key("id").Int(r.id).Key("model").String(ModelName(r.instrumentKey.model));
        j.Key("number").String(r.instrumentKey.number);
        j.Key("instrument").String(InstrumentName(r.instrumentKey)).Key("name").String(r.name);
        j.Key("first").Time(r.totals.first).Key("last").Time(r.totals.last);
        j.Key("interval").Int(r.key.interval).Key("samples").Int(r.totals.samples);
        j.Key("excursions").Int(r.totals.excursions).Key("files").Open('[');
        for (const SourceFile& f : e.files) {
            j.Open('{').Key("path").String(f.file.path).Key("state").String(FileStateId(f.state));
            if (f.state == FileState::kMoved) j.Key("moved_to").String(f.movedTo);
            j.Key("samples").Int(f.file.samples).Key("new").Int(f.file.newSamples);
            j.Key("conflicts").Int(f.file.conflicts).Close('}');
        }
        j.Close(']').Close('}');
    }
    j.Close(']').Close('}');
    std::printf("%s\n", j.text.c_str());
}

void ListText(const std::vector<RecordingEntry>& list, bool withFiles) {
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", Tr("型号"), Tr("编号"), Tr("测量名"),
                Tr("开始时间"), Tr("结束时间"), Tr("样本数"), Tr("记录间隔"), Tr("超限次数"),
                Tr("文件数"));
    for (const RecordingEntry& e : list) {
        const LibraryRecording& r = e.recording;
        const InstrumentTypeId type = r.instrumentKey.model;
        std::printf("%s\t%s\t%s\t%s\t%s\t%lld\t%s\t%lld\t%zu\n", ModelName(type).c_str(),
                    r.instrumentKey.number.c_str(), r.name.c_str(),
                    FormatLocalTime(r.totals.first, kTimeFormat).c_str(),
                    FormatLocalTime(r.totals.last, kTimeFormat).c_str(),
                    static_cast<long long>(r.totals.samples),
                    MakeParamTexts(r.header.Params(), type)[ParamText::Interval].c_str(),
                    static_cast<long long>(r.totals.excursions), e.files.size());
        if (!withFiles) continue;
        for (const SourceFile& f : e.files) {
            std::printf("  %s\t%s%s%s\n", FileStateText(f.state), f.file.path.c_str(),
                        f.state == FileState::kMoved ? " -> " : "", f.movedTo.c_str());
        }
    }
}

int RunList(const std::string& location, std::span<const std::string> args) {
    LibraryFilter filter;
    QueryOptions query;
    std::string instrument, problem;
    bool json = false, withFiles = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--files") {
            withFiles = true;
        } else if (a == "--excursions") {
            filter.excursionsOnly = true;
        } else if (a == "--instrument" || a == "--model" || a == "--number" || a == "--name" ||
                   QueryOptions::Takes(a)) {
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
            const std::string& v = args[++i];
            if (a == "--instrument") {
                instrument = v;
            } else if (a == "--model") {
                filter.model = ModelFromName(v);
                if (filter.model == 0) return Usage(StrFormat(Tr("不认识的型号 %s"), v.c_str()));
            } else if (a == "--number") {
                filter.number = v;
            } else if (a == "--name") {
                filter.name = v;
            } else if (!query.Take(a, v, &problem)) {
                return Usage(problem);
            }
        } else {
            return Usage(StrFormat(Tr("list: 多余的参数 '%s'"), a.c_str()));
        }
    }
    const std::optional<QueryRequest> request = query.Request(&problem);
    if (!request) return Usage(problem);
    const QueryWindow window = MakeQueryWindow(*request, static_cast<int64_t>(std::time(nullptr)));
    if (window.bounded) filter.from = window.from, filter.to = window.to;

    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    if (!instrument.empty()) {
        std::vector<LibraryInstrument> all;
        if (!library->Instruments(all)) {
            PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
            return kExitFailure;
        }
        const LibraryInstrument* found = nullptr;
        std::vector<const LibraryInstrument*> candidates;
        switch (FindInstrument(all, instrument, &found, &candidates)) {
            case InstrumentMatch::kOne:
                filter.instrument = found->id;
                break;
            case InstrumentMatch::kNone:
                std::fprintf(stderr, "%s\n",
                             StrFormat(Tr(kNoInstrument), instrument.c_str()).c_str());
                return kExitFailure;
            case InstrumentMatch::kSeveral: {
                std::string names;
                for (const LibraryInstrument* c : candidates)
                    names += (names.empty() ? "" : ", ") + InstrumentName(c->key);
                return Usage(
                    StrFormat(Tr("--instrument %s 可能是 %s 中的一台; 请写成 MODEL:NUMBER"),
                              instrument.c_str(), names.c_str()));
            }
        }
    }
    std::vector<RecordingEntry> list;
    if (!library->List(filter, list)) {
        PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
        return kExitFailure;
    }
    if (json) {
        ListJson(location, list);
    } else {
        ListText(list, withFiles);
    }
    return kExitOk;
}

// ---- check and rebuild -----------------------------------------------------------------

int RunCheck(const std::string& location, std::span<const std::string> args) {
    if (!args.empty()) return Usage(Tr("check 不带参数"));
    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    LibraryCheck check;
    if (!library->Check(check)) {
        PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
        return kExitFailure;
    }
    if (!check.problems.empty()) {
        std::fprintf(stderr, "%s\n", StrFormat(Tr(kDamaged), location.c_str()).c_str());
        for (const std::string& p : check.problems)
            std::fprintf(stderr, "  %s\n", p.c_str());
        std::fprintf(stderr, "%s\n", Tr(kRebuildHint));
        return kExitFailure;
    }
    std::printf(
        "%s\n",
        StrFormat(Tr(kSound), location.c_str(), static_cast<long long>(check.instruments),
                  static_cast<long long>(check.recordings), static_cast<long long>(check.samples),
                  static_cast<long long>(check.files))
            .c_str());
    for (const SourceFile& f : check.unusual) {
        std::printf("%s\t%s%s%s\n", FileStateText(f.state), f.file.path.c_str(),
                    f.state == FileState::kMoved ? " -> " : "", f.movedTo.c_str());
    }
    return kExitOk;
}

int RunRebuild(const std::string& location, std::span<const std::string> args) {
    for (const std::string& a : args) {
        if (a.starts_with("-")) return Usage(StrFormat(Tr("不认识的选项 %s"), a.c_str()));
    }
    AddCounts counts;
    const RebuildResult result = RebuildLibrary(
        location, args, [&](const AddResult& r) { PrintAdded(r, LibraryError{}, counts); });
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        if (!result.reason.empty()) std::fprintf(stderr, "%s\n", result.reason.c_str());
        return kExitFailure;
    }
    PrintSummary(counts);
    if (result.kept.empty()) {
        std::printf("%s\n", StrFormat(Tr(kBuilt), location.c_str()).c_str());
    } else {
        std::printf("%s\n", StrFormat(Tr(kRebuilt), location.c_str(), result.kept.c_str()).c_str());
    }
    return counts.failed ? kExitFailure : kExitOk;
}

// ---- the command ---------------------------------------------------------------------------

struct LibrarySubcommand {
    std::string_view name;
    int (*run)(const std::string& location, std::span<const std::string> args);
};
constexpr LibrarySubcommand kSubcommands[] = {
    {"add", RunAdd},
    {"list", RunList},
    {"check", RunCheck},
    {"rebuild", RunRebuild},
};

// The lines add prints for a result, with N for its counts.
std::string AddLineExample(AddStatus status, size_t line) {
    constexpr long long kCount = 1234567;
    AddResult r;
    r.path = "FILE";
    r.status = status;
    r.added = r.duplicates = r.conflicts = kCount;
    std::string text = AddResultLines(r).at(line);
    const std::string count = std::to_string(kCount);
    for (size_t at; (at = text.find(count)) != std::string::npos;)
        text.replace(at, count.size(), "N");
    return Quoted(text);
}

int RunLibrary(const CliOptions&, std::span<const std::string> args) {
    std::string location;
    const LibrarySubcommand* sub = nullptr;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--library") {
            if (i + 1 >= args.size()) return Usage(Tr("--library 需要一个文件"));
            location = args[++i];
        } else if (sub) {
            rest.push_back(args[i]);
        } else {
            for (const LibrarySubcommand& s : kSubcommands) {
                if (s.name == args[i]) sub = &s;
            }
            if (!sub) return Usage(StrFormat(Tr("不认识的子命令 %s"), args[i].c_str()));
        }
    }
    if (!sub) return Usage(Tr("需要一个子命令: add, list, check 或 rebuild"));
    return sub->run(location.empty() ? DefaultLibraryLocation() : location, rest);
}

std::string LibraryHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli library [--library FILE] add PATH...\n"
           "      qxlog-cli library [--library FILE] list [--instrument NAME]\n"
           "                        [--model MODEL] [--number TEXT] [--name TEXT]\n"
           "                        [--excursions] [--last-days N | --last-months N |\n"
           "                         --from YYYY-MM-DD --to YYYY-MM-DD]\n"
           "                        [--files] [--json]\n"
           "      qxlog-cli library [--library FILE] check\n"
           "      qxlog-cli library [--library FILE] rebuild [PATH...]\n"
           "\n"
           "记录库把记录文件 (*.QXRec) 合并成一个仪器、记录和样本的存储, 一台一次次\n"
           "下载的记录仪读起来是一段完整的历史。记录文件保持原样: 记录库读取它们,\n"
           "从不修改或删除。\n"
           "\n"
           "一台仪器就是它的型号和仪器编号: 不同型号的记录仪从不混在一起, 同一型号\n"
           "编号相同的两台记录仪对记录库来说是一台仪器。一个记录是记录仪一次开始所\n"
           "记录的 (开始时间、间隔、单位和限值); 继续进行的记录或已回绕的循环存储\n"
           "记录仪的多次下载合并到其中。一个样本就是它的仪器和时间: 无论多少文件含有\n"
           "它只存一次。文件中的值与记录库中不同的样本保留先加入的值, 并报告为\n"
           "%s\n"
           "\n"
           "子命令:\n"
           "  add PATH...        加入记录文件和文件夹 (其中任意深度的 *.QXRec 文件, 按\n"
           "                     名称顺序), 每个文件全部加入或全不加入; 再次加入同一文件\n"
           "                     不加入任何东西。每个文件一行:\n"
           "                     %s\n"
           "                     或 %s,\n"
           "                     然后一行汇总\n"
           "  list               列出记录, 每个一行, 用制表符分隔的列: 型号、编号、\n"
           "                     测量名、第一个和最后一个样本、样本数、间隔、相对记录\n"
           "                     自己限值的超限数、文件数\n"
           "  check              检查记录库文件并重新读取每个记录文件; 不在原处的文件\n"
           "                     列为 %s\n"
           "                     (在别的路径找到其内容时为 %s),\n"
           "                     内容不同的文件列为 %s\n"
           "  rebuild [PATH...]  用记录库列出的记录文件 (损坏的记录库还能显示的部分)\n"
           "                     和给出的文件和文件夹重新建立记录库; 原来的记录库文件\n"
           "                     保存为 FILE.YYYYMMDD-HHMMSS.old。请在没有别的程序使用\n"
           "                     记录库时运行\n"
           "\n"
           "选项:\n"
           "  --library FILE     记录库; 默认为\n"
           "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite (设置\n"
           "                     了 $XDG_DATA_HOME 时在其下), 在安装的 qxlog 保存下载的\n"
           "                     数据文件夹中\n"
           "  --instrument NAME  list: 一台仪器的记录, 用编号指定, 有多个型号的记录仪\n"
           "                     用同一编号时写成 MODEL:NUMBER (QX450:A0815)\n"
           "  --model MODEL      list: 一个型号的记录 (QX450 或它的序号)\n"
           "  --number TEXT, --name TEXT\n"
           "                     list: 编号含有 TEXT 的仪器, 测量名含有 TEXT 的记录\n"
           "                     (字母不分大小写)\n"
           "  --excursions       list: 有超限的记录 (给出下面的时间选项时, 在该时间内)\n"
           "  --last-days N, --last-months N, --from YYYY-MM-DD --to YYYY-MM-DD\n"
           "                     list: 在该时间内有样本的记录, 这些选项与 export 相同\n"
           "  --files            list: 在每个记录下面的行列出它的记录文件及其状态\n"
           "                     (%s, %s, %s, %s)\n"
           "  --json             list: 一个 JSON 对象: library, recordings, 每个含 id,\n"
           "                     model, number, instrument, name, first, last, interval\n"
           "                     (秒), samples, excursions 和 files (path, state:\n"
           "                     present, missing, moved 或 changed, moved_to, samples,\n"
           "                     new, conflicts)\n"
           "\n"
           "退出状态:\n"
           "  0  完成; add: 每个文件都在记录库中; check: 记录库完好 (丢失或改变的\n"
           "     记录文件只列出, 不算失败)\n"
           "  1  记录库不能使用, 例如\n"
           "     %s\n"
           "     或 %s;\n"
           "     有文件不能加入; 或 check 发现损坏:\n"
           "     %s\n"
           "  2  缺少参数或参数错误; 什么也没做"),
        AddLineExample(AddStatus::kAdded, 1).c_str(), AddLineExample(AddStatus::kAdded, 0).c_str(),
        AddLineExample(AddStatus::kKnown, 0).c_str(), FileStateText(FileState::kMissing),
        FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
        FileStateText(FileState::kPresent), FileStateText(FileState::kMissing),
        FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kNewer, {}, kLibraryFormatVersion + 1}))
            .c_str(),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kBusy, {}, 0})).c_str(),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kDamaged, {}, 0})).c_str());
}

const CliCommand kCommands[] = {
    {kName, TrNoop("记录库: 加入记录文件、列出、检查、重建"), {LibraryHelp}, RunLibrary},
};

}  // namespace

std::span<const CliCommand> LibraryCommands() {
    return kCommands;
}

}  // namespace qx::cli
