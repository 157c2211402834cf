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

namespace {

// The usage and the messages of the start options.
struct StartTexts {
    Q_DECLARE_TR_FUNCTIONS(qx::StartOptions)
};

}  // namespace

QString StartUsage() {
    return StartTexts::tr(
        "用法: qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]\n"
        "      qxlog [--lang zh|en] --print-pdf OUT.pdf [--report list|chart|summary]\n"
        "            RECORD-FILE\n"
        "            [--last-days N | --last-months N\n"
        "             | --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "      qxlog [--lang zh|en] --print-pdf OUT.pdf --report compare [--library FILE]\n"
        "            --series ID [--limit LOW,HIGH] INSTRUMENT... [时间范围]\n"
        "\n"
        "  --lang zh|en       本次运行用中文或英文, 不论设置 ([Workspace] Language)\n"
        "                     和区域设置如何\n"
        "  --simulate MODELS  用模拟仪器代替连接的仪器: QX420 ... QX610 或 1..11,\n"
        "                     以逗号分隔\n"
        "  RECORD-FILE        启动时打开的记录文件 (*.QXRec)\n"
        "  --print-pdf OUT    把 RECORD-FILE 的数据报表 (list, 默认)、曲线图 (chart)\n"
        "                     或统计报表 (summary) 写入 PDF 文件 OUT 后退出, 不开窗口;\n"
        "                     时间范围同 qxlog-cli export (没有时为全部记录)。\n"
        "                     不能写入时给出原因, 退出状态为 1\n"
        "  --report compare   记录库 (FILE, 否则为默认记录库) 中仪器的对比报表:\n"
        "                     仪器以编号或 MODEL:NUMBER 指定, 量为 ID (temp, hum,\n"
        "                     dew, ...); 限值 LOW,HIGH (任一可空) 适用于全部仪器,\n"
        "                     没有时各用自己的限值\n"
        "  --sign KEY.p12     给写出的 PDF 签名 (同 qxlog-cli sign): 签名密钥,\n"
        "                     --meaning reviewed|approved|responsible|TEXT 为含义,\n"
        "                     --passphrase-file F 为口令文件 (不给时在终端上询问)\n");
}

std::optional<LanguageChoice> StartLanguage(const QStringList& arguments) {
    std::optional<LanguageChoice> chosen;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--lang")) continue;
        const std::optional<LanguageChoice> choice = ParseLanguageChoice(ToUtf8(arguments[++i]));
        if (choice && *choice != LanguageChoice::kAuto) chosen = choice;
    }
    return chosen;
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
        const bool signOption = a == QLatin1String("--sign") || a == QLatin1String("--meaning") ||
                                a == QLatin1String("--passphrase-file");
        const bool printOption = a == QLatin1String("--print-pdf") || signOption ||
                                 a == QLatin1String("--report") || compareOption ||
                                 QueryOptions::Takes(ToUtf8(a));
        if (printOption) {
            if (i + 1 >= arguments.size()) {
                error = StartTexts::tr("qxlog: %1 需要一个值").arg(a);
                return false;
            }
            const QString value = arguments[++i];
            std::string problem;
            if (a == QLatin1String("--print-pdf")) {
                options.printPdf = value;
            } else if (signOption) {
                (a == QLatin1String("--sign")      ? options.signKey
                 : a == QLatin1String("--meaning") ? options.signMeaning
                                                   : options.passphraseFile) = value;
                printOptions = true;
            } else if (a == QLatin1String("--report")) {
                if (value != QLatin1String("list") && value != QLatin1String("chart") &&
                    value != QLatin1String("summary") && value != QLatin1String("compare")) {
                    error = StartTexts::tr(
                                "qxlog: --report 为 list、chart、summary 或 compare, 不是 '%1'")
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
                error = StartTexts::tr("qxlog: --lang 为 zh 或 en");
                return false;
            }
            options.language = *choice;
            ++i;
            continue;
        }
        if (a == QLatin1String("--simulate")) {
            if (i + 1 >= arguments.size()) {
                error = StartTexts::tr("qxlog: %1 需要一个值").arg(a);
                return false;
            }
            const QString list = arguments[++i];
            if (!ModelsFromList(ToUtf8(list), options.simulate)) {
                error = StartTexts::tr("qxlog: '%1' 中有未知的型号 (请用 QX420 ... QX610 或 1..11)")
                            .arg(list);
                return false;
            }
            continue;
        }
        if (a.startsWith(u'-') && a.size() > 1) {
            error = StartTexts::tr("qxlog: 未知的选项 %1").arg(a);
            return false;
        }
        positional << a;
    }
    if (options.printChoice == kPrintComparison) {
        if (options.compareSeries.isEmpty() || positional.isEmpty()) {
            error = StartTexts::tr("qxlog: --report compare 需要 --series 和仪器");
            return false;
        }
        options.compareInstruments = positional;
    } else if (compareOptions) {
        error =
            StartTexts::tr("qxlog: --library、--series 和 --limit 只能与 --report compare 同用");
        return false;
    } else if (positional.size() > 1) {
        error = StartTexts::tr("qxlog: 只能打开一个记录文件");
        return false;
    } else if (!positional.isEmpty()) {
        options.recordFile = positional.front();
    }
    if (options.printPdf.isEmpty()) {
        if (printOptions) {
            error = StartTexts::tr("qxlog: --report、时间范围和签名只能与 --print-pdf 同用");
            return false;
        }
        return true;
    }
    if (options.signKey.isEmpty() != options.signMeaning.trimmed().isEmpty() ||
        (options.signKey.isEmpty() && !options.passphraseFile.isEmpty())) {
        error = StartTexts::tr("qxlog: --sign 和 --meaning 要一起用");
        return false;
    }
    if (options.recordFile.isEmpty() && options.printChoice != kPrintComparison) {
        error = StartTexts::tr("qxlog: --print-pdf 需要一个记录文件");
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
