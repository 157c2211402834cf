#include "print_pdf_start.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <memory>

#include "core/library/library_comparison.h"
#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "core/records/record_image.h"
#include "core/records/record_set.h"
#include "core/signing/passphrase.h"
#include "core/signing/pdf_signature.h"
#include "gui/browser/data_view.h"
#include "gui/common/qt_text.h"
#include "gui/compare/compare_view.h"

namespace qx {
namespace {

// The browser's view of a record opened from the command line.
struct CommandLineHost final : CDataView::Host {
    QString path;
    bool RecordLoaded() const override { return true; }
    QString RecordPath() const override { return path; }
    QString DataFolder() const override { return QFileInfo(path).absolutePath(); }
};

// "LOW,HIGH" with either side empty, not both; nullopt for anything else.
std::optional<SeriesLimits> ParseLimits(const QString& text) {
    const QStringList sides = text.split(u',');
    if (sides.size() != 2) return std::nullopt;
    SeriesLimits limits;
    for (int k = 0; k < 2; ++k) {
        const QString side = sides[k].trimmed();
        if (side.isEmpty()) continue;
        bool ok = false;
        const double v = QLocale::c().toDouble(side, &ok);
        if (!ok || !std::isfinite(v)) return std::nullopt;
        (k == 0 ? limits.low : limits.high) = v;
    }
    if (!limits.low && !limits.high) return std::nullopt;
    return limits;
}

// --report compare: the instruments of the library compared, printed as the comparison
// window prints them.
int PrintComparisonAtStart(const StartOptions& options, int64_t now, QString& message) {
    ComparisonRequest request;
    request.series = ToUtf8(options.compareSeries);
    request.window = MakeQueryWindow(options.printQuery, now);
    if (!options.compareLimits.isEmpty()) {
        request.limits = ParseLimits(options.compareLimits);
        if (!request.limits) {
            message = QCoreApplication::translate("qx::PrintPdfAtStart", "限值必须是数字:%1")
                          .arg(options.compareLimits);
            return 1;
        }
    }
    const std::string location =
        options.library.isEmpty() ? DefaultLibraryLocation() : ToUtf8(options.library);
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    if (!opened.library) {
        message = ToQString(WithReason(opened.message, opened.error.detail));
        return 1;
    }
    RecordLibrary& library = *opened.library;
    std::vector<std::string> names;
    for (const QString& name : options.compareInstruments)
        names.push_back(ToUtf8(name));
    std::vector<LibraryId> ids;
    CompareOutcome outcome;
    std::vector<InstrumentHistory> histories;
    if (!FindNamedInstruments(library, names, ids, &outcome) ||
        !ReadHistories(library, ids, request.window, histories)) {
        QStringList candidates;
        for (const std::string& c : outcome.candidates)
            candidates << ToQString(c);
        const QString name = ToQString(outcome.name);
        switch (outcome.fault) {
            case CompareFault::kUnknown:
                message = QCoreApplication::translate("qx::PrintPdfAtStart", "记录库中没有仪器 %1")
                              .arg(name);
                break;
            case CompareFault::kAmbiguous:
                message =
                    QCoreApplication::translate("qx::PrintPdfAtStart", "有几台仪器的编号是 %1:%2")
                        .arg(name, candidates.join(QStringLiteral(", ")));
                break;
            case CompareFault::kTwice:
                message = QCoreApplication::translate("qx::PrintPdfAtStart", "仪器 %1 选了两次")
                              .arg(name);
                break;
            default:
                message = ToQString(WithReason(LibraryErrorMessage(location, library.Error()),
                                               library.Error().detail));
                break;
        }
        return 1;
    }
    // Samples the library holds damaged are left out of the figures: said with their
    // recordings, and the printout is no success.
    QStringList damaged;
    for (const DamagedRun& d : library.TakeDamaged())
        damaged << ToQString(DamagedRunLine(d));
    CCompareView view;
    view.resize(1000, 700);
    view.SetHistories(std::move(histories), request.window, request.series);
    QString problem;
    if (!view.CompareWith(request, &problem)) {
        message = problem;
        return 1;
    }
    QString why;
    if (view.PrintToPdfFile(options.printPdf, &why) < 0) {
        message = QCoreApplication::translate("qx::PrintPdfAtStart", "文件:%1 打印失败!")
                      .arg(options.printPdf);
        if (!why.isEmpty()) message += u'\n' + why;
        return 1;
    }
    message = ToQString(ComparisonSummary(*view.Result()).front());
    if (!damaged.isEmpty()) {
        message += u'\n' + damaged.join(u'\n');
        return 1;
    }
    return 0;
}

// The signing key of --sign, loaded before anything is printed, so that a wrong passphrase
// leaves no file; nullptr with the reason in message.
std::unique_ptr<SigningKey> LoadKey(const StartOptions& options, QString& message) {
    const std::string path = ToUtf8(options.signKey);
    std::string problem;
    std::optional<std::string> passphrase;
    if (!options.passphraseFile.isEmpty()) {
        passphrase = PassphraseFromFile(ToUtf8(options.passphraseFile), problem);
    } else {
        passphrase = PassphraseFromTerminal(
            ToUtf8(QCoreApplication::translate("qx::PrintPdfAtStart", "签名密钥 %1 的口令: ")
                       .arg(options.signKey)));
        if (!passphrase)
            problem = ToUtf8(QCoreApplication::translate(
                "qx::PrintPdfAtStart", "没有终端可以询问口令; 用 --passphrase-file 给出口令"));
    }
    std::unique_ptr<SigningKey> key =
        passphrase ? SigningKey::Load(path, *passphrase, &problem) : nullptr;
    if (!key) message = ToQString(problem);
    return key;
}

int PrintUnsigned(const StartOptions& options, int64_t now, QString& message, QString* warning) {
    if (options.printChoice == kPrintComparison)
        return PrintComparisonAtStart(options, now, message);
    auto image = std::make_unique<RecordImage>();
    auto set = std::make_unique<RecordSet>();
    const RecordFileResult read = OpenRecordFile(ToUtf8(options.recordFile), *image, *set);
    if (!read.ok) {
        message = ToQString(WithReason(read.message, read.reason));
        return 1;
    }
    if (read.incomplete && warning) *warning = ToQString(WithReason(read.message, read.reason));
    CommandLineHost host;
    host.path = QFileInfo(options.recordFile).absoluteFilePath();
    CDataView view(host);
    view.SetClock([now] { return now; });
    view.resize(1000, 640);
    view.FirstShow(0);
    view.LoadRecord(set.get());
    view.RunRequest(options.printQuery);
    QString why;
    if (view.PrintToPdfFile(options.printPdf, options.printChoice, &why) < 0) {
        message = QCoreApplication::translate("qx::PrintPdfAtStart", "文件:%1 打印失败!")
                      .arg(options.printPdf);
        if (!why.isEmpty()) message += u'\n' + why;
        return 1;
    }
    message = view.windowTitle();
    return 0;
}

}  // namespace

int PrintPdfAtStart(const StartOptions& options, int64_t now, QString& message, QString* warning) {
    std::unique_ptr<SigningKey> key;
    if (!options.signKey.isEmpty() && !(key = LoadKey(options, message))) return 1;
    const int status = PrintUnsigned(options, now, message, warning);
    if (status != 0 || !key) return status;
    SignRequest request;
    const std::string meaning = ToUtf8(options.signMeaning.trimmed());
    request.meaning = SignatureMeaningText(ParseSignatureMeaning(meaning), meaning);
    std::string problem;
    if (!SignPdfFile(ToUtf8(options.printPdf), *key, request, &problem)) {
        // The report was asked for signed: an unsigned one is not left in its place.
        QFile::remove(options.printPdf);
        message = ToQString(problem);
        return 1;
    }
    message +=
        u'\n' + QCoreApplication::translate("qx::PrintPdfAtStart", "已签名: 签名人 %1, 含义: %2")
                    .arg(ToQString(key->SignerName()), ToQString(request.meaning));
    return 0;
}

}  // namespace qx
