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
#include "core/library/library_comparison.h"
#include "core/library/library_location.h"
#include "core/library/library_rebuild.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "core/records/comparison_export.h"
#include "core/records/instrument_history.h"
#include "core/records/query_options.h"
#include "core/records/record_export.h"
#include "core/records/sample_table.h"
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
    std::fprintf(stderr, "qxlog-cli %s: %s\n(see qxlog-cli %s --help)\n", kName, problem.c_str(),
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
    if (args.empty()) return Usage("add needs record files or folders");
    for (const std::string& a : args) {
        if (a.starts_with("-")) return Usage("unknown option " + a);
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
    return Usage(name + " is one of " + names + "; name it as MODEL:NUMBER");
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
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--instrument") {
                instrument = v;
            } else if (a == "--model") {
                filter.model = ModelFromName(v);
                if (filter.model == 0) return Usage("unknown model " + v);
            } else if (a == "--number") {
                filter.number = v;
            } else if (a == "--name") {
                filter.name = v;
            } else if (!query.Take(a, v, &problem)) {
                return Usage(problem);
            }
        } else {
            return Usage("list: unexpected argument " + a);
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
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--format") {
                formatName = v;
            } else if (a == "-o" || a == "--output") {
                output = v;
            } else if (!query.Take(a, v, &problem)) {
                return Usage(problem);
            }
        } else if (a.starts_with("-") || !instrument.empty()) {
            return Usage("history: unexpected argument " + a);
        } else {
            instrument = a;
        }
    }
    if (instrument.empty()) return Usage("history needs an instrument: NUMBER or MODEL:NUMBER");
    if (output.empty()) return Usage("history: -o FILE names the file to write");
    ExportFormat format = ExportFormatForPath(output);
    if (!formatName.empty()) {
        format = formatName == "xlsx"   ? ExportFormat::Workbook
                 : formatName == "text" ? ExportFormat::Text
                 : formatName == "csv"  ? ExportFormat::Csv
                                        : ExportFormat::None;
        if (format == ExportFormat::None) return Usage("--format is xlsx, text or csv");
    } else if (format == ExportFormat::None) {
        return Usage("the name " + output + " has no extension to choose the format by");
    } else if (output.size() >= 4 &&
               EqualsIgnoreCase(std::string_view(output).substr(output.size() - 4), ".csv")) {
        format = ExportFormat::Csv;
    }
    const std::optional<QueryRequest> request = query.Request(&problem);
    if (!request) return Usage(problem);
    const QueryWindow window = MakeQueryWindow(*request, static_cast<int64_t>(std::time(nullptr)));

    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    LibraryId id = 0;
    if (const int code = FindNamedInstrument(*library, location, instrument, id); code != kExitOk)
        return code;
    InstrumentHistory history;
    if (!library->History(id, window.bounded ? window.from : std::numeric_limits<int64_t>::min(),
                          window.bounded ? window.to : std::numeric_limits<int64_t>::max(),
                          history)) {
        PrintFailure(LibraryErrorMessage(location, library->Error()), library->Error());
        return kExitFailure;
    }
    auto table = std::make_unique<SampleTable>();
    table->Build(history, window);
    std::printf("%s\n", QueryStatusLine(HistoryHeaderText(history, *table), table->TotalCount(),
                                        window.condition, table->SampleCount())
                            .c_str());
    for (const std::string& note : table->Notes())
        std::fprintf(stderr, "%s\n", note.c_str());
    std::optional<RecordStatistics> statistics;
    if (format == ExportFormat::Workbook) {
        statistics = ComputeHistoryStatistics(history, *table, window.condition);
        statistics->file = location;
    }
    std::string why;
    if (!ExportSampleTable(output, format, *table,
                           HistoryParamRows(HistorySettings(history, window)),
                           statistics ? &*statistics : nullptr, &why)) {
        std::fprintf(stderr, "%s\n%s\n", ExportFailedMessage(output).c_str(), why.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", ExportSucceededMessage(output).c_str());
    return kExitOk;
}

// ---- check and rebuild -----------------------------------------------------------------

int RunCheck(const std::string& location, std::span<const std::string> args) {
    if (!args.empty()) return Usage("check takes no arguments");
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
        if (a.starts_with("-")) return Usage("unknown option " + a);
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

// ---- compare -------------------------------------------------------------------------------

std::optional<double> ParseNumber(std::string_view text) {
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

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
        std::printf("%s\n", line.c_str());
    const TextTable table = ComparisonFigureTable(c);
    std::printf("\n");
    for (size_t k = 0; k < table.titles.size(); ++k)
        std::printf("%s%s", k ? "\t" : "", table.titles[k].c_str());
    std::printf("\n");
    for (const std::vector<std::string>& row : table.rows) {
        for (size_t k = 0; k < row.size(); ++k)
            std::printf("%s%s", k ? "\t" : "", row[k].c_str());
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
            if (a.starts_with("-")) return Usage("unknown option " + a);
            names.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return Usage(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--series") {
            request.series = v;
        } else if (a == "--limit") {
            request.limits = ParseLimits(v, &problem);
            if (!request.limits) return Usage(problem);
        } else if (a == "--mkt-dh") {
            const auto dh = ParseNumber(v);
            if (!dh || *dh < kMinActivationEnergy || *dh > kMaxActivationEnergy)
                return Usage("--mkt-dh needs kJ/mol from 1 to 1000, not '" + v + "'");
            request.activationEnergy = *dh;
        } else if (a == "-o" || a == "--output") {
            output = v;
        } else if (a == "--format") {
            formatName = v;
        } else if (!query.Take(a, v, &problem)) {
            return Usage(problem);
        }
    }
    if (names.empty()) return Usage("compare needs the instruments to compare");
    if (request.series.empty()) return Usage("compare needs --series (temp, hum, dew, ...)");
    ExportFormat format = ExportFormat::None;
    if (!output.empty()) {
        format = ExportFormatForPath(output);
        if (formatName == "xlsx") {
            format = ExportFormat::Workbook;
        } else if (formatName == "text") {
            format = ExportFormat::Text;
        } else if (formatName == "csv") {
            format = ExportFormat::Csv;
        } else if (!formatName.empty()) {
            return Usage("--format is xlsx, text or csv");
        } else if (format == ExportFormat::None) {
            return Usage("the name " + output +
                         " has no extension to choose the format by; add --format");
        } else if (output.size() >= 4 &&
                   EqualsIgnoreCase(std::string_view(output).substr(output.size() - 4), ".csv")) {
            format = ExportFormat::Csv;
        }
    } else if (!formatName.empty()) {
        return Usage("--format goes with -o FILE");
    }
    const std::optional<QueryRequest> queryRequest = query.Request(&problem);
    if (!queryRequest) return Usage(problem);
    request.window = MakeQueryWindow(*queryRequest, static_cast<int64_t>(std::time(nullptr)));

    auto library = Open(location, LibraryOpen::kExisting);
    if (!library) return kExitFailure;
    CompareOutcome outcome = CompareNamedInstruments(*library, names, request);
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
        if (!ExportComparison(output, format, c, &why)) {
            std::fprintf(stderr, "%s\n", ExportFailedMessage(output).c_str());
            if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
            return kExitFailure;
        }
        // The message goes to stderr under --json, so that stdout stays one JSON object.
        std::fprintf(json ? stderr : stdout, "%s\n", ExportSucceededMessage(output).c_str());
    }
    return kExitOk;
}

// ---- the command ---------------------------------------------------------------------------

struct LibrarySubcommand {
    std::string_view name;
    int (*run)(const std::string& location, std::span<const std::string> args);
};
constexpr LibrarySubcommand kSubcommands[] = {
    {"add", RunAdd},         {"list", RunList},   {"history", RunHistory},
    {"compare", RunCompare}, {"check", RunCheck}, {"rebuild", RunRebuild},
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
            if (i + 1 >= args.size()) return Usage("--library needs a file");
            location = args[++i];
        } else if (sub) {
            rest.push_back(args[i]);
        } else {
            for (const LibrarySubcommand& s : kSubcommands) {
                if (s.name == args[i]) sub = &s;
            }
            if (!sub) return Usage("unknown subcommand " + args[i]);
        }
    }
    if (!sub) return Usage("a subcommand is needed: add, list, history, compare, check or rebuild");
    return sub->run(location.empty() ? DefaultLibraryLocation() : location, rest);
}

std::string LibraryHelp() {
    return FormatHelp(
        "Usage: qxlog-cli library [--library FILE] add PATH...\n"
        "       qxlog-cli library [--library FILE] list [--instrument NAME]\n"
        "                         [--model MODEL] [--number TEXT] [--name TEXT]\n"
        "                         [--excursions] [--last-days N | --last-months N |\n"
        "                          --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                         [--files] [--json]\n"
        "       qxlog-cli library [--library FILE] history INSTRUMENT\n"
        "                         [--last-days N | --last-months N |\n"
        "                          --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                         [--format xlsx|text|csv] -o FILE\n"
        "       qxlog-cli library [--library FILE] check\n"
        "       qxlog-cli library [--library FILE] rebuild [PATH...]\n"
        "       qxlog-cli library [--library FILE] compare INSTRUMENT... --series ID\n"
        "                         [--limit LOW,HIGH] [--mkt-dh KJ_PER_MOL]\n"
        "                         [--last-days N | --last-months N |\n"
        "                          --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                         [--json] [-o OUT [--format xlsx|text|csv]]\n"
        "\n"
        "The record library merges record files (*.QXRec) into one store of\n"
        "instruments, their recordings and their samples, so that a logger downloaded\n"
        "again and again reads as one history. The record files stay as they are: the\n"
        "library reads them and never changes or deletes one.\n"
        "\n"
        "An instrument is its model and its instrument number: loggers of different\n"
        "models never mix, two loggers of one model with the same number are one\n"
        "instrument to the library. A recording is what one start of a logger\n"
        "recorded (start time, interval, units and limits); downloads of a recording\n"
        "that went on, or of a cyclic logger that wrapped, merge into it. A sample is\n"
        "its instrument and its time: stored once however many files hold it. A\n"
        "sample that a file holds with another value than the library keeps the\n"
        "value added first and is reported as\n"
        "%s\n"
        "\n"
        "Subcommands:\n"
        "  add PATH...        add record files and folders (their *.QXRec files at any\n"
        "                     depth, in name order), each file all or nothing; adding a\n"
        "                     file again adds nothing. One line per file:\n"
        "                     %s\n"
        "                     or %s,\n"
        "                     then a summary line\n"
        "  list               the recordings, one line each with tab-separated\n"
        "                     columns: model, number, measurement name, first and last\n"
        "                     sample, samples, interval, excursions against the\n"
        "                     recording's own limits, files\n"
        "  history INSTRUMENT an instrument's history: its samples of every recording\n"
        "                     in the time given (all without one), in time order,\n"
        "                     exported as export writes a record (format by the\n"
        "                     extension of FILE: .xlsx, .txt, .csv, or --format). A\n"
        "                     stretch without samples between or inside recordings\n"
        "                     is a row of its own (%s) that\n"
        "                     ends any excursion; the settings list each recording's\n"
        "                     settings after its time span; the newest recording's\n"
        "                     units and limits apply to all. INSTRUMENT is a number\n"
        "                     or MODEL:NUMBER as for --instrument. Prints the query\n"
        "                     line and then %s\n"
        "  check              check the library file and read every record file again;\n"
        "                     files gone from their place are listed as %s\n"
        "                     (%s when their contents are found at another path),\n"
        "                     files with other contents as %s\n"
        "  rebuild [PATH...]  build the library afresh from the record files it lists\n"
        "                     (as far as a damaged library still shows them) and the\n"
        "                     files and folders given; the old library file is kept as\n"
        "                     FILE.YYYYMMDD-HHMMSS.old. Run it while no other program\n"
        "                     uses the library\n"
        "  compare INSTRUMENT...\n"
        "                     compare instruments in one quantity over the time given:\n"
        "                     a summary (highest and lowest mean, highest maximum,\n"
        "                     lowest minimum, the largest spread between instruments\n"
        "                     at one time), then a tab-separated table with a row of\n"
        "                     figures per instrument (samples, minimum, maximum, mean,\n"
        "                     standard deviation, MKT, limits and the time outside\n"
        "                     them). Instruments are named as for --instrument.\n"
        "                     Samples meet on one time grid, its step the longest\n"
        "                     interval of the recordings; values are shown in the\n"
        "                     units of the first instrument\n"
        "\n"
        "Options:\n"
        "  --library FILE     the library; default\n"
        "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite (below\n"
        "                     $XDG_DATA_HOME when it is set), in the data folder where\n"
        "                     the installed qxlog saves its downloads\n"
        "  --instrument NAME  list: the recordings of one instrument, named by its\n"
        "                     number, or as MODEL:NUMBER (QX450:A0815) where loggers of\n"
        "                     several models carry that number\n"
        "  --model MODEL      list: the recordings of one model (QX450 or its number)\n"
        "  --number TEXT, --name TEXT\n"
        "                     list: instruments whose number, recordings whose\n"
        "                     measurement name holds TEXT (letters in either case)\n"
        "  --excursions       list: recordings with an excursion (within the time\n"
        "                     given by the options below, when there is one)\n"
        "  --last-days N, --last-months N, --from YYYY-MM-DD --to YYYY-MM-DD\n"
        "                     list: recordings with samples in that time; compare:\n"
        "                     the samples in that time (all without one); as export\n"
        "                     reads these options\n"
        "  --series ID        compare: the quantity, by its id whatever the language:\n"
        "                     temp, hum, dew, density, pressure, diffpressure, sound,\n"
        "                     flow, co2 or hcho\n"
        "  --limit LOW,HIGH   compare: limits for every instrument in the quantity's\n"
        "                     unit (either side may be left empty: --limit ,8);\n"
        "                     without it each instrument's own alarm limits\n"
        "  --mkt-dh KJ_PER_MOL\n"
        "                     compare: the activation energy of the MKT (1 to 1000)\n"
        "  --json             compare: one JSON object with the quantity, the query,\n"
        "                     the grid step, the limits, each instrument's figures and\n"
        "                     the figures across them\n"
        "  -o OUT             compare: also write the aligned table (one column per\n"
        "                     instrument, an empty cell where it has no sample): .xlsx\n"
        "                     a workbook with the table, the figures and each\n"
        "                     instrument's settings, .csv CSV, any other extension the\n"
        "                     list text; --format chooses instead\n"
        "  --files            list: each recording's record files on the lines below it,\n"
        "                     with their states (%s, %s, %s, %s)\n"
        "  --json             list: one JSON object: library, recordings with id,\n"
        "                     model, number, instrument, name, first, last, interval\n"
        "                     (seconds), samples, excursions and files (path, state:\n"
        "                     present, missing, moved or changed, moved_to, samples,\n"
        "                     new, conflicts)\n"
        "\n"
        "Exit status:\n"
        "  0  done; add: every file is in the library; check: the library is sound\n"
        "     (missing or changed record files are listed, not failures)\n"
        "  1  the library cannot be used, for example\n"
        "     %s\n"
        "     or %s;\n"
        "     a file could not be added; or check found damage:\n"
        "     %s\n"
        "  2  a missing or wrong argument; nothing was done",
        AddLineExample(AddStatus::kAdded, 1).c_str(), AddLineExample(AddStatus::kAdded, 0).c_str(),
        AddLineExample(AddStatus::kKnown, 0).c_str(), Quoted(Tr("间断 %s")).c_str(),
        Quoted(ExportSucceededMessage("FILE")).c_str(), FileStateText(FileState::kMissing),
        FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
        FileStateText(FileState::kPresent), FileStateText(FileState::kMissing),
        FileStateText(FileState::kMoved), FileStateText(FileState::kChanged),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kNewer, {}, kLibraryFormatVersion + 1}))
            .c_str(),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kBusy, {}, 0})).c_str(),
        Quoted(LibraryErrorMessage("FILE", {LibraryFault::kDamaged, {}, 0})).c_str());
}

const CliCommand kCommands[] = {
    {kName, "the record library: add, list, check, rebuild, compare", {LibraryHelp}, RunLibrary},
};

}  // namespace

std::span<const CliCommand> LibraryCommands() {
    return kCommands;
}

}  // namespace qx::cli
