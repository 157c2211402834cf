#include "qx420_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "core/link/simulated_hid_library.h"
#include "core/records/query_options.h"
#include "gui/browser/data_view.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

// The simulated instrument the device choice proposes: a finished recording of two days at
// 5-minute intervals.
constexpr uint32_t kFinishedRecordingSamples = 576;

}  // namespace

QString StartUsage() {
    return QStringLiteral(
        "Usage: qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]\n"
        "       qxlog [--lang zh|en] --print-pdf OUT.pdf [--report list|chart|summary]\n"
        "             RECORD-FILE\n"
        "             [--last-days N | --last-months N | --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "       qxlog [--lang zh|en] --print-pdf OUT.pdf --report compare [--library FILE]\n"
        "             --series ID [--limit LOW,HIGH] INSTRUMENT... [time window]\n"
        "\n"
        "  --lang zh|en       Chinese or English texts for this run, whatever the setting\n"
        "                     ([Workspace] Language) and the locale\n"
        "  --simulate MODELS  simulated instruments instead of attached ones: QX420 ... QX610\n"
        "                     or 1..11, separated by commas\n"
        "  RECORD-FILE        a record file (*.QXRec) to open at start\n"
        "  --print-pdf OUT    write the sample report (list, the default), the chart or\n"
        "                     the statistics report (summary) of RECORD-FILE to the PDF\n"
        "                     file OUT and exit, without a window;\n"
        "                     the time window as in qxlog-cli export (all samples without\n"
        "                     one). Exit status 1 with a message when it cannot be written\n"
        "  --report compare   the comparison report of instruments of the record library\n"
        "                     (FILE, else the default library), named by number or as\n"
        "                     MODEL:NUMBER, in the quantity ID (temp, hum, dew, ...),\n"
        "                     with the limits LOW,HIGH (either may be empty) for all of\n"
        "                     them or each one's own\n");
}

bool ParseStartOptions(const QStringList& arguments, StartOptions& options, QString& error) {
    QueryOptions query;
    bool printOptions = false;
    bool compareOptions = false;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool compareOption = a == QLatin1String("--library") ||
                                   a == QLatin1String("--series") || a == QLatin1String("--limit");
        const bool printOption = a == QLatin1String("--print-pdf") ||
                                 a == QLatin1String("--report") || compareOption ||
                                 QueryOptions::Takes(ToUtf8(a));
        if (printOption) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("qxlog: %1 needs a value").arg(a);
                return false;
            }
            const QString value = arguments[++i];
            std::string problem;
            if (a == QLatin1String("--print-pdf")) {
                options.printPdf = value;
            } else if (a == QLatin1String("--report")) {
                if (value != QLatin1String("list") && value != QLatin1String("chart") &&
                    value != QLatin1String("summary") && value != QLatin1String("compare")) {
                    error = QStringLiteral(
                                "qxlog: --report is list, chart, summary or compare, not '%1'")
                                .arg(value);
                    return false;
                }
                options.printChoice = value == QLatin1String("chart")     ? 0
                                      : value == QLatin1String("summary") ? 2
                                      : value == QLatin1String("compare") ? kPrintComparison
                                                                          : 1;
                printOptions = true;
            } else if (compareOption) {
                (a == QLatin1String("--library")  ? options.library
                 : a == QLatin1String("--series") ? options.compareSeries
                                                  : options.compareLimits) = value;
                compareOptions = true;
            } else if (!query.Take(ToUtf8(a), ToUtf8(value), &problem)) {
                error = QStringLiteral("qxlog: ") + ToQString(problem);
                return false;
            } else {
                printOptions = true;
            }
            continue;
        }
        if (a == QLatin1String("--lang")) {
            const std::optional<LanguageChoice> choice =
                i + 1 < arguments.size() ? ParseLanguageChoice(ToUtf8(arguments[i + 1]))
                                         : std::nullopt;
            if (!choice || *choice == LanguageChoice::kAuto) {
                error = QStringLiteral("qxlog: --lang is zh or en");
                return false;
            }
            options.language = *choice;
            ++i;
            continue;
        }
        if (a == QLatin1String("--simulate")) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("qxlog: --simulate needs a value");
                return false;
            }
            const QString list = arguments[++i];
            if (!ModelsFromList(ToUtf8(list), options.simulate)) {
                error =
                    QStringLiteral("qxlog: unknown model in '%1' (use QX420 ... QX610 or 1..11)")
                        .arg(list);
                return false;
            }
            continue;
        }
        if (a.startsWith(u'-') && a.size() > 1) {
            error = QStringLiteral("qxlog: unknown option %1").arg(a);
            return false;
        }
        positional << a;
    }
    if (options.printChoice == kPrintComparison) {
        if (options.compareSeries.isEmpty() || positional.isEmpty()) {
            error = QStringLiteral("qxlog: --report compare needs --series and the instruments");
            return false;
        }
        options.compareInstruments = positional;
    } else if (compareOptions) {
        error = QStringLiteral("qxlog: --library, --series and --limit go with --report compare");
        return false;
    } else if (positional.size() > 1) {
        error = QStringLiteral("qxlog: only one record file can be opened");
        return false;
    } else if (!positional.isEmpty()) {
        options.recordFile = positional.front();
    }
    if (options.printPdf.isEmpty()) {
        if (printOptions) {
            error = QStringLiteral("qxlog: --report and the time window go with --print-pdf");
            return false;
        }
        return true;
    }
    if (options.recordFile.isEmpty() && options.printChoice != kPrintComparison) {
        error = QStringLiteral("qxlog: --print-pdf needs a record file");
        return false;
    }
    std::string problem;
    const std::optional<QueryRequest> request = query.Request(&problem);
    if (!request) {
        error = QStringLiteral("qxlog: ") + ToQString(problem);
        return false;
    }
    options.printQuery = *request;
    return true;
}

QStringList RestartArguments(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--lang")) {
            ++i;  // and its value
            continue;
        }
        kept.append(arguments[i]);
    }
    return kept;
}

std::unique_ptr<HidLibrary> MakeSimulatedInstruments(const std::vector<InstrumentTypeId>& models,
                                                     UtcClock clock) {
    auto bus = std::make_unique<SimulatedHidLibrary>(std::move(clock));
    for (size_t i = 0; i < models.size(); ++i) {
        InstrumentSimulator& sim = bus->Add(models[i]);
        if (i + 1 == models.size()) {
            RecordingPlan plan;
            plan.samples = kFinishedRecordingSamples;
            plan.running = false;
            sim.StartRecording(plan);
        }
    }
    return bus;
}

CQX420App::CQX420App(HidFactory realInstruments) : realInstruments_(std::move(realInstruments)) {}

CQX420App::~CQX420App() = default;

bool CQX420App::InitInstance(const StartOptions& options, CMainFrame::Environment env) {
    settings_.Load();
    layout_ = FindProgramLayout(ProgramFolder(), InstalledDataFolderFromProgram());
    dataFolder_ = ChooseDataFolder(layout_.programFolder, layout_.installed);

    if (!env.hid) {
        env.hid = options.simulate.empty() ? realInstruments_()
                                           : MakeSimulatedInstruments(options.simulate, env.clock);
    }
    if (!env.hid) return false;
    frame_ = std::make_unique<CMainFrame>(settings_, layout_.helpFolder, dataFolder_.path,
                                          std::move(env));
    frame_->CreateViews();
    frame_->show();

    if (!options.recordFile.isEmpty()) {
        frame_->OpenFiles({QFileInfo(options.recordFile).absoluteFilePath()});
    }
    return true;
}

void CQX420App::ExitInstance() {
    if (frame_) {
        settings_.devType = frame_->State().type;
        if (const CDataView* view = frame_->RecordBrowser())
            settings_.trendPos = view->Arrangement();
        if (const CDataView* view = frame_->RecordBrowser())
            settings_.showStat = view->StatisticsShown();
    }
    settings_.Save();
}

bool CQX420App::RestartRequested() const {
    return frame_ && frame_->RestartRequested();
}

bool CQX420App::StartAgain(const QStringList& arguments) {
    if (QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                RestartArguments(arguments)))
        return true;
    ShowWarning(nullptr,
                QCoreApplication::translate("qx::CQX420App", "程序不能重新启动!\n请再次启动程序."));
    return false;
}

}  // namespace qx
