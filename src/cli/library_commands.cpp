// qxlog-cli library: the record library from the command line. One command with subcommands
// (kSubcommands), each given the library's location and its own arguments.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_help.h"
#include "core/library/history_stream.h"
#include "core/library/library_backup.h"
#include "core/library/library_choice.h"
#include "core/library/library_comparison.h"
#include "core/library/library_location.h"
#include "core/library/library_rebuild.h"
#include "core/library/library_sync.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/library/server_location.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "core/records/comparison_export.h"
#include "core/records/instrument_history.h"
#include "core/records/query_options.h"
#include "core/records/record_export.h"
#include "core/records/sample_table.h"
#include "core/records/table_pieces.h"
#include "core/records/workbook_export.h"
#include "export_option.h"
#include "json_writer.h"
#include "limit_option.h"
#include "tsv_field.h"

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
constexpr const char* kDamagedLeftOut =
    TrNoop("%s 已写出, 但缺少记录库中已损坏的 %lld 个样本 (见上面)");
constexpr const char* kDamagedCompared = TrNoop("对比没有用记录库中已损坏的 %lld 个样本 (见上面)");

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

// The instrument a user names (FindInstrument); kExitOk with its id, else the exit code after
// the message.
int FindNamedInstrument(RecordLibrary& library, const std::string& location,
                        const std::string& name, LibraryId& id) {
    std::vector<LibraryInstrument> all;
    if (!library.Instruments(all)) {
        PrintFailure(LibraryErrorMessage(location, library.Error()), library.Error());
        return kExitFailure;
    }
    const LibraryInstrument* found = nullptr;
    std::vector<const LibraryInstrument*> candidates;
    switch (FindInstrument(all, name, &found, &candidates)) {
        case InstrumentMatch::kOne:
            id = found->id;
            return kExitOk;
        case InstrumentMatch::kNone:
            std::fprintf(stderr, "%s\n", StrFormat(Tr(kNoInstrument), name.c_str()).c_str());
            return kExitFailure;
        case InstrumentMatch::kSeveral:
            break;
    }
    std::string names;
    for (const LibraryInstrument* c : candidates)
        names += (names.empty() ? "" : ", ") + InstrumentName(c->key);
    return Usage(
        StrFormat(Tr("%s 可能是 %s 中的一台; 请写成 MODEL:NUMBER"), name.c_str(), names.c_str()));
}

// ---- list --------------------------------------------------------------------------------

void ListJson(const std::string& location, const std::vector<RecordingEntry>& list) {
    JsonWriter j;
    j.Open('{').Key("library").String(RedactedLocation(location)).Key("recordings").Open('[');
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
            // A path that is not UTF-8 (a folder named in GB18030) also as its bytes.
            j.Open('{').Key("path").String(f.file.path);
            if (!IsUtf8(f.file.path)) j.Key("path_hex").String(HexBytes(f.file.path));
            j.Key("state").String(FileStateId(f.state));
            if (!f.file.host.empty()) j.Key("host").String(f.file.host);
            if (f.state == FileState::kMoved) {
                j.Key("moved_to").String(f.movedTo);
                if (!IsUtf8(f.movedTo)) j.Key("moved_to_hex").String(HexBytes(f.movedTo));
            }
            j.Key("samples").Int(f.file.samples).Key("new").Int(f.file.newSamples);
            j.Key("conflicts").Int(f.file.conflicts).Close('}');
        }
        j.Close(']').Key("overlaps").Open('[');
        for (const LibraryOverlap& o : e.overlaps) {
            const bool kept = o.overlap.kept.recording == r.id;
            const TimelineSpan& other = kept ? o.overlap.setAside : o.overlap.kept;
            j.Open('{').Key("recording").Int(other.recording);
            j.Key("other_live").Bool(other.live).Key("kept").Bool(kept);
            j.Key("first").Time(o.overlap.stretch.first).Key("last").Time(o.overlap.stretch.last);
            j.Key("seconds").Int(o.overlap.stretch.last - o.overlap.stretch.first);
            j.Key("set_aside").Int(o.setAside).Close('}');
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
                    TsvField(r.instrumentKey.number).c_str(), TsvField(r.name).c_str(),
                    FormatLocalTime(r.totals.first, kTimeFormat).c_str(),
                    FormatLocalTime(r.totals.last, kTimeFormat).c_str(),
                    static_cast<long long>(r.totals.samples),
                    MakeParamTexts(r.header.Params(), type)[ParamText::Interval].c_str(),
                    static_cast<long long>(r.totals.excursions), e.files.size());
        // An overlap is told once, with the recording that keeps its samples there.
        for (const LibraryOverlap& o : e.overlaps) {
            if (o.overlap.kept.recording == r.id) std::printf("  %s\n", OverlapLine(o).c_str());
        }
        if (!withFiles) continue;
        for (const SourceFile& f : e.files) {
            std::printf("  %s\t%s%s%s\n", TsvField(FileStateLabel(f)).c_str(),
                        TsvField(f.file.path).c_str(), f.state == FileState::kMoved ? " -> " : "",
                        TsvField(f.movedTo).c_str());
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
            filter.readFiles = true;  // the states check would give
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
        const int code = FindNamedInstrument(*library, location, instrument, filter.instrument);
        if (code != kExitOk) return code;
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

// ---- history -----------------------------------------------------------------------------

int RunHistory(const std::string& location, std::span<const std::string> args) {
    std::string instrument, output, formatName, problem;
    QueryOptions query;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output" || a == "--format" || QueryOptions::Takes(a)) {
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
            const std::string& v = args[++i];
            if (a == "--format") {
                formatName = v;
            } else if (a == "-o" || a == "--output") {
                output = v;
            } else if (!query.Take(a, v, &problem)) {
                return Usage(problem);
            }
        } else if (a.starts_with("-") || !instrument.empty()) {
            return Usage(StrFormat(Tr("history: 多余的参数 '%s'"), a.c_str()));
        } else {
            instrument = a;
        }
    }
    if (instrument.empty()) return Usage(Tr("history 需要一台仪器: NUMBER 或 MODEL:NUMBER"));
    if (output.empty()) return Usage(Tr("history 需要 -o FILE: 要写的文件"));
    const ExportFormat format = ChosenExportFormat(output, formatName, &problem);
    if (format == ExportFormat::None) return Usage(problem);
    const std::optional<QueryRequest> request = query.Request(&problem);
    if (!request) return Usage(problem);
    const QueryWindow window = MakeQueryWindow(*request, static_cast<int64_t>(std::time(nullptr)));

    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    LibraryId id = 0;
    if (const int code = FindNamedInstrument(*library, location, instrument, id); code != kExitOk)
        return code;
    // Read and written a stretch of time at a time: a year of samples never lies in memory.
    HistoryStream history(*library, id, window);
    if (!history.Survey()) {
        PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
        return kExitFailure;
    }
    const auto samples = static_cast<int>(history.SampleCount());
    std::printf("%s\n",
                QueryStatusLine(history.HeaderText(), samples, window.condition, samples).c_str());
    for (const std::string& note : history.Notes())
        std::fprintf(stderr, "%s\n", note.c_str());
    std::optional<RecordStatistics> statistics;
    if (format == ExportFormat::Workbook) {
        statistics.emplace();
        statistics->file = location;
    }
    const TablePieces pieces =
        history.Pieces(statistics ? &*statistics : nullptr, window.condition);
    std::string why;
    int sheets = 1;
    if (!ExportSampleTable(output, format, pieces, history.ParamRows(),
                           statistics ? &*statistics : nullptr, &why, &sheets)) {
        std::fprintf(stderr, "%s\n%s\n", ExportFailedMessage(output).c_str(), why.c_str());
        return kExitFailure;
    }
    // Damaged runs were left out (the notes above name them): written, but not whole.
    if (!history.Damaged().empty()) {
        long long left = 0;
        for (const DamagedRun& d : history.Damaged())
            left += d.samples;
        std::fprintf(stderr, "%s\n%s\n",
                     StrFormat(Tr(kDamagedLeftOut), output.c_str(), left).c_str(),
                     Tr(kRebuildHint));
        return kExitFailure;
    }
    std::printf("%s\n", ExportSucceededMessage(output, kSampleSheetName, sheets).c_str());
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
        std::fprintf(stderr, "%s\n",
                     StrFormat(Tr(kDamaged), RedactedLocation(location).c_str()).c_str());
        for (const std::string& p : check.problems)
            std::fprintf(stderr, "  %s\n", p.c_str());
        std::fprintf(stderr, "%s\n", Tr(kRebuildHint));
        return kExitFailure;
    }
    std::printf("%s\n", StrFormat(Tr(kSound), RedactedLocation(location).c_str(),
                                  static_cast<long long>(check.instruments),
                                  static_cast<long long>(check.recordings),
                                  static_cast<long long>(check.samples),
                                  static_cast<long long>(check.files))
                            .c_str());
    for (const SourceFile& f : check.unusual) {
        std::printf("%s\t%s%s%s\n", FileStateText(f.state), TsvField(f.file.path).c_str(),
                    f.state == FileState::kMoved ? " -> " : "", TsvField(f.movedTo).c_str());
    }
    for (const LibraryOverlap& o : check.overlaps)
        std::printf("%s\n", OverlapLine(o).c_str());
    return kExitOk;
}

int RunRebuild(const std::string& location, std::span<const std::string> args) {
    std::vector<std::string> paths;
    bool dropMissing = false;
    for (const std::string& a : args) {
        if (a == "--drop-missing") {
            dropMissing = true;
        } else if (a.starts_with("-")) {
            return Usage(StrFormat(Tr("不认识的选项 %s"), a.c_str()));
        } else {
            paths.push_back(a);
        }
    }
    AddCounts counts;
    const RebuildResult result = RebuildLibrary(
        location, paths, [&](const AddResult& r) { PrintAdded(r, LibraryError{}, counts); },
        dropMissing);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        if (!result.reason.empty()) std::fprintf(stderr, "%s\n", result.reason.c_str());
        return kExitFailure;
    }
    PrintSummary(counts);
    if (result.carried > 0) {
        std::printf("%s\n", StrFormat(Tr("从原来的记录库带过来 %lld 个记录的 %lld 个样本 "
                                         "(实时读数、读不到的记录文件的样本)"),
                                      static_cast<long long>(result.carried),
                                      static_cast<long long>(result.carriedSamples))
                                .c_str());
    }
    if (result.dropped > 0) {
        std::fprintf(stderr, "%s\n",
                     StrFormat(Tr("按 --drop-missing 丢弃了原来的记录库中的 %lld 个样本"),
                               static_cast<long long>(result.dropped))
                         .c_str());
    } else if (result.dropped < 0) {
        std::fprintf(stderr, "%s\n", Tr("按 --drop-missing 丢弃了原来的记录库中读不出的样本"));
    }
    // A file the old library listed that is gone is no failure when its samples came over.
    if (result.dropped == 0) counts.failed -= static_cast<int>(result.unread.size());
    if (result.kept.empty()) {
        std::printf("%s\n", StrFormat(Tr(kBuilt), location.c_str()).c_str());
    } else {
        std::printf("%s\n", StrFormat(Tr(kRebuilt), location.c_str(), result.kept.c_str()).c_str());
    }
    return counts.failed ? kExitFailure : kExitOk;
}

// ---- compare -------------------------------------------------------------------------------

// "LOW,HIGH" with either number left empty for none, not both.
std::optional<SeriesLimits> ParseLimits(const std::string& text, std::string* problem) {
    const size_t comma = text.find(',');
    SeriesLimits limits;
    if (comma != std::string::npos) {
        const std::string_view low = std::string_view(text).substr(0, comma);
        const std::string_view high = std::string_view(text).substr(comma + 1);
        if (!low.empty()) limits.low = ParseNumber(low);
        if (!high.empty()) limits.high = ParseNumber(high);
        if ((low.empty() || limits.low) && (high.empty() || limits.high) &&
            (limits.low || limits.high))
            return limits;
    }
    *problem = "--limit needs LOW,HIGH (either may be left empty), not '" + text + "'";
    return std::nullopt;
}

// The figures as text: the summary lines, an empty line, the table with tab-separated columns.
void CompareText(const Comparison& c) {
    for (const std::string& line : ComparisonSummary(c))
        std::printf("%s\n", TsvField(line).c_str());
    const TextTable table = ComparisonFigureTable(c);
    std::printf("\n");
    for (size_t k = 0; k < table.titles.size(); ++k)
        std::printf("%s%s", k ? "\t" : "", TsvField(table.titles[k]).c_str());
    std::printf("\n");
    for (const std::vector<std::string>& row : table.rows) {
        for (size_t k = 0; k < row.size(); ++k)
            std::printf("%s%s", k ? "\t" : "", TsvField(row[k]).c_str());
        std::printf("\n");
    }
}

int RunCompare(const std::string& location, std::span<const std::string> args) {
    std::vector<std::string> names;
    ComparisonRequest request;
    request.series.clear();
    QueryOptions query;
    std::string output, formatName, problem;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
            continue;
        }
        const bool takesValue = a == "--series" || a == "--limit" || a == "--mkt-dh" || a == "-o" ||
                                a == "--output" || a == "--format" || QueryOptions::Takes(a);
        if (!takesValue) {
            if (a.starts_with("-")) return Usage(StrFormat(Tr("不认识的选项 %s"), a.c_str()));
            names.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
        const std::string& v = args[++i];
        if (a == "--series") {
            request.series = v;
        } else if (a == "--limit") {
            request.limits = ParseLimits(v, &problem);
            if (!request.limits) return Usage(problem);
        } else if (a == "--mkt-dh") {
            const auto dh = ParseNumber(v);
            if (!dh || *dh < kMinActivationEnergy || *dh > kMaxActivationEnergy)
                return Usage(
                    StrFormat(Tr("--mkt-dh 需要 1 到 1000 的 kJ/mol, 而不是 '%s'"), v.c_str()));
            request.activationEnergy = *dh;
        } else if (a == "-o" || a == "--output") {
            output = v;
        } else if (a == "--format") {
            formatName = v;
        } else if (!query.Take(a, v, &problem)) {
            return Usage(problem);
        }
    }
    if (names.empty()) return Usage(Tr("compare 需要要对比的仪器"));
    if (request.series.empty()) return Usage(Tr("compare 需要 --series (temp, hum, dew, ...)"));
    ExportFormat format = ExportFormat::None;
    if (!output.empty()) {
        format = ChosenExportFormat(output, formatName, &problem);
        if (format == ExportFormat::None) return Usage(problem);
    } else if (!formatName.empty()) {
        return Usage(Tr("--format 要与 -o FILE 一起用"));
    }
    const std::optional<QueryRequest> queryRequest = query.Request(&problem);
    if (!queryRequest) return Usage(problem);
    request.window = MakeQueryWindow(*queryRequest, static_cast<int64_t>(std::time(nullptr)));

    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    library->TakeDamaged();
    CompareOutcome outcome = CompareNamedInstruments(*library, names, request);
    // The samples of damaged runs are left out of the figures: said with their recordings,
    // and the command fails once it has shown what it could.
    long long damaged = 0;
    for (const DamagedRun& d : library->TakeDamaged()) {
        std::fprintf(stderr, "%s\n", DamagedRunLine(d).c_str());
        damaged += d.samples;
    }
    if (damaged > 0) {
        std::fprintf(stderr, "%s\n%s\n", StrFormat(Tr(kDamagedCompared), damaged).c_str(),
                     Tr(kRebuildHint));
    }
    switch (outcome.fault) {
        case CompareFault::kNone:
            break;
        case CompareFault::kUnknown:
            std::fprintf(stderr, "%s\n",
                         StrFormat(Tr(kNoInstrument), outcome.name.c_str()).c_str());
            return kExitFailure;
        case CompareFault::kAmbiguous: {
            std::string list;
            for (const std::string& c : outcome.candidates)
                list += (list.empty() ? "" : ", ") + c;
            return Usage(outcome.name + " is one of " + list + "; name it as MODEL:NUMBER");
        }
        case CompareFault::kTwice:
            return Usage(outcome.name + " names an instrument named before");
        case CompareFault::kLibrary:
            PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
            return kExitFailure;
        case CompareFault::kRefused:
            std::fprintf(stderr, "%s\n", outcome.message.c_str());
            return kExitFailure;
    }
    const Comparison& c = *outcome.comparison;
    if (c.limits) {
        const std::string why = LimitProblem(*c.limits, c.seriesIndex, c.units, c.title);
        if (!why.empty()) return Usage("--limit: " + why);
    }
    if (json) {
        std::printf("%s\n", ComparisonJson(c).c_str());
    } else {
        CompareText(c);
    }
    if (!output.empty()) {
        std::string why;
        int sheets = 1;
        if (!ExportComparison(output, format, c, &why, &sheets)) {
            std::fprintf(stderr, "%s\n", ExportFailedMessage(output).c_str());
            if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
            return kExitFailure;
        }
        // The message goes to stderr under --json, so that stdout stays one JSON object.
        if (damaged > 0) {
            std::fprintf(stderr, "%s\n",
                         StrFormat(Tr(kDamagedLeftOut), output.c_str(), damaged).c_str());
        } else {
            std::fprintf(json ? stderr : stdout, "%s\n",
                         ExportSucceededMessage(output, kComparisonSheetName, sheets).c_str());
        }
    }
    return damaged > 0 ? kExitFailure : kExitOk;
}

// ---- sync --------------------------------------------------------------------------------

constexpr const char* kSyncSent = TrNoop("%s: 已发送, 新样本 %lld 个");
constexpr const char* kSyncLiveSent = TrNoop("%s 的实时记录 %s 至 %s: 已发送, 新样本 %lld 个");
constexpr const char* kSyncSummary = TrNoop(
    "查看了 %lld 个记录: 发送了 %lld 个, 服务器已有 %lld 个, 失败 %lld 个; 记录文件 %lld 个, "
    "新样本 %lld 个");
constexpr const char* kSyncNotSent = TrNoop("%s: 没有发送到记录库服务器");
constexpr const char* kSyncLiveNotSent = TrNoop("%s 的实时记录 %s 至 %s: 没有发送到记录库服务器");
constexpr const char* kSyncNoLocal = TrNoop("本机记录库 %s 还不存在: 没有要同步的");
constexpr const char* kSyncSame = TrNoop("记录库 %s 就是本机记录库: 没有要同步的");

std::string LocalTime(int64_t t) {
    return FormatLocalTime(static_cast<std::time_t>(t), kTimeFormat);
}

int RunSync(const std::string& location, std::span<const std::string> args) {
    std::string local = DefaultLibraryLocation();
    bool fromGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--from" && i + 1 < args.size() && !args[i + 1].empty()) {
            local = args[++i];
            fromGiven = true;
        } else if (args[i] == "--from") {
            return Usage(Tr("--from 需要一个记录库文件"));
        } else {
            return Usage(StrFormat(Tr("不认识的参数 %s"), args[i].c_str()));
        }
    }
    if (local == location) {
        std::printf("%s\n", StrFormat(Tr(kSyncSame), location.c_str()).c_str());
        return kExitOk;
    }
    OpenedLibrary opened = OpenLibrary(local, LibraryOpen::kExisting);
    if (!opened.library && opened.error.fault == LibraryFault::kMissing && !fromGiven) {
        // Nothing was collected on this PC yet.
        std::printf("%s\n", StrFormat(Tr(kSyncNoLocal), local.c_str()).c_str());
        return kExitOk;
    }
    if (!opened.library) {
        PrintFailure(opened.message, opened.error);
        return kExitFailure;
    }
    std::unique_ptr<RecordLibrary> from = std::move(opened.library);
    OpenedLibrary server = OpenLibrary(location, LibraryOpen::kCreate);
    if (!server.library) {
        server.error.detail = WithoutPasswords(server.error.detail, location);
        PrintFailure(WithoutPasswords(server.message, location), server.error);
        return kExitFailure;
    }
    std::unique_ptr<RecordLibrary> to = std::move(server.library);
    const SyncResult result = SyncLibrary(*from, *to, [](const SyncItem& item) {
        if (item.unplaced > 0) {
            std::fprintf(
                stderr, "%s\n",
                StrFormat(Tr("%s %s至%s: %lld 个样本不能按时间放入记录库, 没有发送; "
                             "可以从记录文件重建本机记录库"),
                          InstrumentName(item.instrument).c_str(), LocalTime(item.first).c_str(),
                          LocalTime(item.last).c_str(), static_cast<long long>(item.unplaced))
                    .c_str());
            if (item.added == 0 && item.files.empty()) return;
        }
        // The new samples are counted by recording: on the line of its first file.
        for (const std::string& file : item.files) {
            const std::string line =
                &file == &item.files.front()
                    ? StrFormat(Tr(kSyncSent), file.c_str(), static_cast<long long>(item.added))
                    : StrFormat(Tr("%s: 已发送"), file.c_str());
            std::printf("%s\n", line.c_str());
        }
        if (item.files.empty()) {
            const std::string name = InstrumentName(item.instrument);
            std::printf("%s\n",
                        StrFormat(Tr(kSyncLiveSent), name.c_str(), LocalTime(item.first).c_str(),
                                  LocalTime(item.last).c_str(), static_cast<long long>(item.added))
                            .c_str());
        }
        if (item.conflicts > 0) {
            std::printf("%s\n",
                        StrFormat(Tr("%s: %lld 个样本与记录库中同一时间的样本不同,"
                                     "保留了先加入的"),
                                  item.files.empty() ? InstrumentName(item.instrument).c_str()
                                                     : item.files.front().c_str(),
                                  static_cast<long long>(item.conflicts))
                            .c_str());
        }
        std::fflush(stdout);
    });
    // Each recording the server refused, with why; the others were sent.
    for (const SyncFailure& f : result.failures) {
        for (const std::string& file : f.files)
            std::fprintf(stderr, "%s\n", StrFormat(Tr(kSyncNotSent), file.c_str()).c_str());
        if (f.files.empty()) {
            std::fprintf(stderr, "%s\n",
                         StrFormat(Tr(kSyncLiveNotSent), InstrumentName(f.instrument).c_str(),
                                   LocalTime(f.first).c_str(), LocalTime(f.last).c_str())
                             .c_str());
        }
        std::fprintf(stderr, "%s\n", f.message.c_str());
        if (!f.reason.empty()) std::fprintf(stderr, "%s\n", f.reason.c_str());
    }
    const auto failed = static_cast<long long>(result.failures.size());
    const long long there = static_cast<long long>(result.recordings - result.sent) - failed;
    std::printf("%s\n", StrFormat(Tr(kSyncSummary), static_cast<long long>(result.recordings),
                                  static_cast<long long>(result.sent), there, failed,
                                  static_cast<long long>(result.files),
                                  static_cast<long long>(result.samples))
                            .c_str());
    if (!result.failed) return result.unplaced > 0 ? kExitFailure : kExitOk;
    if (result.stopped) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        if (!result.reason.empty()) std::fprintf(stderr, "%s\n", result.reason.c_str());
        std::fprintf(stderr, "%s\n",
                     Tr("没有发送的部分在再次运行 qxlog-cli library sync 时发送。"));
    }
    return kExitFailure;
}

// ---- backup --------------------------------------------------------------------------------

int RunBackup(const std::string& location, std::span<const std::string> args) {
    std::string dir;
    int keep = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--keep") {
            const std::optional<double> n =
                i + 1 < args.size() ? ParseNumber(args[i + 1]) : std::nullopt;
            if (!n || *n < 1 || *n > 100000 || *n != static_cast<int>(*n))
                return Usage(Tr("--keep 需要 1 到 100000 之间的整数"));
            keep = static_cast<int>(*n);
            ++i;
        } else if (args[i].starts_with("-")) {
            return Usage(StrFormat(Tr("不认识的选项 %s"), args[i].c_str()));
        } else if (dir.empty()) {
            dir = args[i];
        } else {
            return Usage(StrFormat(Tr("不认识的参数 %s"), args[i].c_str()));
        }
    }
    if (dir.empty()) return Usage(Tr("backup 需要一个备份文件夹"));
    const BackupResult r = BackupLibrary(location, dir, keep, std::time(nullptr));
    if (!r.ok) {
        std::fprintf(stderr, "%s\n", r.message.c_str());
        if (!r.reason.empty()) std::fprintf(stderr, "%s\n", r.reason.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", StrFormat(Tr("记录库 %s 已备份到 %s (%lld 字节),备份已检查"),
                                  RedactedLocation(location).c_str(), r.path.c_str(),
                                  static_cast<long long>(r.bytes))
                            .c_str());
    for (const std::string& old : r.removed)
        std::printf("%s\n", StrFormat(Tr("按 --keep 删除了旧备份 %s"), old.c_str()).c_str());
    return kExitOk;
}

// ---- the command ---------------------------------------------------------------------------

struct LibrarySubcommand {
    std::string_view name;
    int (*run)(const std::string& location, std::span<const std::string> args);
};
constexpr LibrarySubcommand kSubcommands[] = {
    {"add", RunAdd},     {"list", RunList},       {"history", RunHistory}, {"compare", RunCompare},
    {"check", RunCheck}, {"rebuild", RunRebuild}, {"sync", RunSync},       {"backup", RunBackup},
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

int RunLibrary(const CliOptions& options, std::span<const std::string> args) {
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
    if (!sub)
        return Usage(
            Tr("需要一个子命令: add, list, history, compare, check, rebuild, sync 或 backup"));
    if (location.empty()) {
        const LibraryChoice choice = ChooseLibrary(options.library);
        if (!choice.Ok()) {
            std::fprintf(stderr, "%s\n", choice.problem.c_str());
            return kExitFailure;
        }
        location = choice.location;
    }
    return sub->run(location, rest);
}

// The library on a server, after the help of the library file.
constexpr const char* kServerHelp = TrNoop(
    "记录库也可以放在 PostgreSQL 服务器上, 供一个场所的多台电脑共用。它的位置是\n"
    "libpq 连接串, 例如 postgresql://USER@SERVER/DATABASE?sslmode=verify-full\n"
    "(也可写 postgres://); 没有写出的部分由 libpq 从 PG* 环境变量、\n"
    "~/.pg_service.conf 和 ~/.pgpass 补上。经过网络时始终用 sslmode=verify-full。\n"
    "密码写在 ~/.pgpass 中, 不要写进位置; 写进位置的密码在任何输出中都显示为\n"
    "***。rebuild 只用于记录库文件。\n"
    "\n"
    "服务器上的数据库由管理员建立; 程序第一次向空数据库加入时建立自己的表。\n"
    "/usr/share/qxlog/sql 中的 qxlog-library-roles.sql 建立角色 qxlog_writer\n"
    "(加入) 和 qxlog_reader (只读: 浏览和对比); 视图 readings 和函数\n"
    "readings_between(FROM, TO) 每个读数一行 (time, model, instrument, name,\n"
    "quantity, unit, value), 供仪表板工具使用。");

std::string LibraryHelp() {
    return FormatHelp(
               Tr("用法: qxlog-cli library [--library FILE|URL] add PATH...\n"
                  "      qxlog-cli library [--library FILE|URL] list [--instrument NAME]\n"
                  "                            [--model MODEL] [--number TEXT] [--name TEXT]\n"
                  "                            [--excursions] [--last-days N | --last-months N |\n"
                  "                             --from YYYY-MM-DD --to YYYY-MM-DD]\n"
                  "                            [--files] [--json]\n"
                  "      qxlog-cli library [--library FILE|URL] history INSTRUMENT\n"
                  "                            [--last-days N | --last-months N |\n"
                  "                             --from YYYY-MM-DD --to YYYY-MM-DD]\n"
                  "                            [--format xlsx|text|csv] -o FILE\n"
                  "      qxlog-cli library [--library FILE|URL] check\n"
                  "      qxlog-cli library [--library FILE|URL] rebuild [--drop-missing] "
                  "[PATH...]\n"
                  "      qxlog-cli library [--library FILE|URL] sync [--from FILE]\n"
                  "      qxlog-cli library [--library FILE|URL] backup DIR [--keep N]\n"
                  "      qxlog-cli library [--library FILE|URL] compare INSTRUMENT... --series ID\n"
                  "                            [--limit LOW,HIGH] [--mkt-dh KJ_PER_MOL]\n"
                  "                            [--last-days N | --last-months N |\n"
                  "                             --from YYYY-MM-DD --to YYYY-MM-DD]\n"
                  "                            [--json] [-o OUT [--format xlsx|text|csv]]\n"
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
                  "  history INSTRUMENT 一台仪器的历史: 它在给出的时间内 (没有给出时为全部)\n"
                  "                     所有记录的样本, 按时间顺序, 像 export 导出记录那样导出\n"
                  "                     (格式按 FILE 的扩展名: .xlsx, .txt, .csv, 或 --format)。\n"
                  "                     记录之间或记录中没有样本的一段是单独的一行\n"
                  "                     (%s), 它结束任何超限; 参数列表在每个\n"
                  "                     记录的时间段后列出它的参数; 最新记录的单位和限值适用于\n"
                  "                     全部。INSTRUMENT 是编号或 MODEL:NUMBER, 同 --instrument。\n"
                  "                     工作簿的一个工作表放不下的行接着写在格式相同的下一个\n"
                  "                     工作表 (名字后加 (2)、(3) ...) 中。\n"
                  "                     先打印查询行, 然后打印 %s\n"
                  "  check              检查记录库文件和每段样本的校验和 (不符的列出仪器、记录\n"
                  "                     和时间, 算作损坏), 并重新读取每个记录文件; 不在原处的文件\n"
                  "                     列为 %s\n"
                  "                     (在别的路径找到其内容时为 %s),\n"
                  "                     内容不同的文件列为 %s\n"
                  "  rebuild [--drop-missing] [PATH...]\n"
                  "                     用记录库列出的记录文件 (损坏的记录库还能显示的部分)\n"
                  "                     和给出的文件和文件夹重新建立记录库, 再带上记录文件中\n"
                  "                     没有的 (实时读数、已不在的记录文件的样本); 原来的\n"
                  "                     记录库文件保存为 FILE.YYYYMMDD-HHMMSS.old。新的记录库\n"
                  "                     会少样本时 (损坏的记录库读不全) 什么也不改变, 除非给出\n"
                  "                     --drop-missing。请在没有别的程序使用记录库时运行\n"
                  "  sync [--from FILE] 把本机记录库 (数据文件夹中的, 或 --from FILE) 中有而\n"
                  "                     --library 的记录库 (通常在服务器上) 没有的发送过去:\n"
                  "                     记录文件按内容和路径比较, 实时记录按样本的时间比较。\n"
                  "                     样本从本机记录库读取, 记录文件移走或删除了也能发送;\n"
                  "                     合并与直接加入相同。再次运行不发送任何东西, 中断后\n"
                  "                     再次运行会补齐。每个发送的记录文件或实时记录一行,\n"
                  "                     然后一行汇总\n"
                  "  backup DIR [--keep N]\n"
                  "                     在记录库被写入时也做一致的备份: 记录库文件用 SQLite 的\n"
                  "                     在线备份复制, 服务器上的记录库用 pg_dump 导出; 备份按\n"
                  "                     日期和时间命名 (QXLibrary-YYYYMMDD-HHMMSS.sqlite), 写完\n"
                  "                     后检查; --keep N 只保留最新的 N 个备份。备份文件可以用\n"
                  "                     --library 打开\n"
                  "  compare INSTRUMENT...\n"
                  "                     在给出的时间内按一个量对比几台仪器: 先是汇总 (最高和\n"
                  "                     最低的平均值、最高的最大值、最低的最小值、同一时刻\n"
                  "                     仪器之间的最大差值), 然后是用制表符分隔的表, 每台仪器\n"
                  "                     一行数值 (样本数、最小值、最大值、平均值、标准偏差、\n"
                  "                     MKT、限值和超出限值的时间)。仪器的写法同 --instrument。\n"
                  "                     样本对齐到一个时间网格, 步长是各记录中最长的间隔; 数值\n"
                  "                     用第一台仪器的单位显示\n"
                  "\n"
                  "选项:\n"
                  "  --library FILE|URL\n"
                  "                     记录库: 记录库文件, 或服务器上记录库的地址\n"
                  "                     (postgresql://HOST/DB); 也可以作为全局选项写在命令\n"
                  "                     之前。不给时按 qxlog-cli --help 所说的选择, 通常为\n"
                  "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite (设置\n"
                  "                     了 $XDG_DATA_HOME 时在其下), 在安装的 qxlog 保存下载的\n"
                  "                     数据文件夹中\n"
                  "  --from FILE        sync: 发送的来源, 默认为数据文件夹中的本机记录库\n"
                  "  --instrument NAME  list: 一台仪器的记录, 用编号指定, 有多个型号的记录仪\n"
                  "                     用同一编号时写成 MODEL:NUMBER (QX450:A0815)\n"
                  "  --model MODEL      list: 一个型号的记录 (QX450 或它的序号)\n"
                  "  --number TEXT, --name TEXT\n"
                  "                     list: 编号含有 TEXT 的仪器, 测量名含有 TEXT 的记录\n"
                  "                     (字母不分大小写)\n"
                  "  --excursions       list: 有超限的记录 (给出下面的时间选项时, 在该时间内)\n"
                  "  --last-days N, --last-months N, --from YYYY-MM-DD --to YYYY-MM-DD\n"
                  "                     list: 在该时间内有样本的记录; compare: 该时间内的样本\n"
                  "                     (没有给出时为全部); 这些选项与 export 相同\n"
                  "  --series ID        compare: 要对比的量, 用与语言无关的 id: temp, hum, dew,\n"
                  "                     density, pressure, diffpressure, sound, flow, co2 或 hcho\n"
                  "  --limit LOW,HIGH   compare: 所有仪器的限值, 用该量的单位 (任一侧可以空着:\n"
                  "                     --limit ,8); 没有时用每台仪器自己的报警限值\n"
                  "  --mkt-dh KJ_PER_MOL\n"
                  "                     compare: MKT 的活化能 (1 到 1000)\n"
                  "  --json             compare: 一个 JSON 对象, 含量、查询、网格步长、限值、\n"
                  "                     每台仪器的数值和仪器之间的数值\n"
                  "  -o OUT             compare: 同时写出对齐的表 (每台仪器一列, 没有样本处为\n"
                  "                     空格): .xlsx 为含表、数值和每台仪器参数的工作簿, .csv 为\n"
                  "                     CSV, .txt 为列表文本, 别的扩展名被拒绝; 也可用 --format\n"
                  "                     选择\n"
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
                  "     记录文件只列出, 不算失败); sync: 本机记录库的一切都已在记录库中\n"
                  "  1  记录库不能使用, 例如\n"
                  "     %s\n"
                  "     或 %s;\n"
                  "     有文件不能加入或发送; history 或 compare 略去了记录库中损坏的样本;\n"
                  "     或 check 发现损坏:\n"
                  "     %s\n"
                  "  2  缺少参数或参数错误; 什么也没做"),
               AddLineExample(AddStatus::kAdded, 1).c_str(),
               AddLineExample(AddStatus::kAdded, 0).c_str(),
               AddLineExample(AddStatus::kKnown, 0).c_str(), Quoted(Tr("间断 %s")).c_str(),
               Quoted(ExportSucceededMessage("FILE")).c_str(), FileStateText(FileState::kMissing),
               FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
               FileStateText(FileState::kPresent), FileStateText(FileState::kMissing),
               FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
               Quoted(LibraryErrorMessage("FILE",
                                          {LibraryFault::kNewer, {}, kLibraryFormatVersion + 1}))
                   .c_str(),
               Quoted(LibraryErrorMessage("FILE", {LibraryFault::kBusy, {}, 0})).c_str(),
               Quoted(LibraryErrorMessage("FILE", {LibraryFault::kDamaged, {}, 0})).c_str()) +
           "\n\n" + HelpText(Tr(kServerHelp));
}

const CliCommand kCommands[] = {
    {kName, TrNoop("记录库: 加入、列出、历史、对比、检查、重建、同步"), {LibraryHelp}, RunLibrary},
};

}  // namespace

std::span<const CliCommand> LibraryCommands() {
    return kCommands;
}

}  // namespace qx::cli
