// The main window's comparison of instruments: a window of its own over the record library.
#include <QStatusBar>
#include <algorithm>

#include "core/library/library_comparison.h"
#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/library/server_location.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/text_util.h"
#include "gui/common/background_work.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/compare/compare_view.h"
#include "main_frame.h"

namespace qx {

struct CMainFrame::ComparisonReading {
    std::vector<InstrumentHistory> histories;
    QString failure;      // why they could not be read
    QStringList damaged;  // the damaged runs the histories leave out
};

CMainFrame::ComparisonReading CMainFrame::ReadComparison(const std::string& location,
                                                         const ComparisonSelection& selection) {
    ComparisonReading out;
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    if (!opened.library) {
        out.failure = ToQString(WithReason(opened.message, opened.error.detail));
        return out;
    }
    RecordLibrary& library = *opened.library;
    std::vector<LibraryId> ids = selection.instruments;
    if (!selection.names.empty()) {
        std::vector<LibraryId> named;
        CompareOutcome outcome;
        if (!FindNamedInstruments(library, selection.names, named, &outcome)) {
            switch (outcome.fault) {
                case CompareFault::kUnknown:
                    out.failure = tr("记录库中没有仪器 %1").arg(ToQString(outcome.name));
                    break;
                case CompareFault::kAmbiguous: {
                    QStringList candidates;
                    for (const std::string& c : outcome.candidates)
                        candidates << ToQString(c);
                    out.failure =
                        tr("有几台仪器的编号是 %1:%2")
                            .arg(ToQString(outcome.name), candidates.join(QStringLiteral(", ")));
                    break;
                }
                case CompareFault::kTwice:
                    out.failure = tr("仪器 %1 选了两次").arg(ToQString(outcome.name));
                    break;
                default:
                    out.failure = ToQString(LibraryErrorMessage(location, library.Error()));
                    break;
            }
            return out;
        }
        for (const LibraryId id : named) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        }
    }
    std::vector<InstrumentHistory>& histories = out.histories;
    bool read = ReadHistories(library, ids, selection.window, histories);
    const std::optional<int64_t> from =
        selection.window.bounded ? std::optional(selection.window.from) : std::nullopt;
    const std::optional<int64_t> to =
        selection.window.bounded ? std::optional(selection.window.to) : std::nullopt;
    for (size_t k = 0; read && k < selection.recordings.size(); ++k)
        read = library.Recording(selection.recordings[k], from, to,
                                 histories.emplace_back().emplace_back());
    if (!read) {
        out.failure = ToQString(
            WithReason(LibraryErrorMessage(location, library.Error()), library.Error().detail));
        return out;
    }
    for (const DamagedRun& d : library.TakeDamaged())
        out.damaged << ToQString(DamagedRunLine(d));
    for (size_t k = 0; k < selection.recordings.size(); ++k) {
        // A recording no longer in the library comes back without a known model.
        if (!IsKnownModel(histories[ids.size() + k].front().type)) {
            out.failure = tr("记录库中没有记录 %1").arg(selection.recordings[k]);
            return out;
        }
    }
    return out;
}

CCompareView* CMainFrame::OpenComparison(const ComparisonSelection& selection) {
    const std::string location =
        selection.library.empty() ? DefaultLibraryLocation() : selection.library;
    if (IsServerLocation(location)) {
        statusBar()->showMessage(tr("正在从记录库服务器读取要对比的仪器..."));
        libraryWork_->Run<ComparisonReading>(
            [location, selection] { return ReadComparison(location, selection); },
            [this, selection](ComparisonReading& reading) {
                statusBar()->clearMessage();
                ShowComparison(reading, selection);
            });
        return nullptr;
    }
    ComparisonReading reading = ReadComparison(location, selection);
    return ShowComparison(reading, selection);
}

CCompareView* CMainFrame::ShowComparison(ComparisonReading& reading,
                                         const ComparisonSelection& selection) {
    if (!reading.failure.isEmpty()) {
        qx::ShowWarning(this, reading.failure);
        return nullptr;
    }
    std::vector<InstrumentHistory>& histories = reading.histories;
    auto* view = new CCompareView(this);
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->SetTitleSuffix(ApplicationTitle());
    view->SetDataFolder(dataFolder_);
    view->resize(1000, 700);
    view->SetHistories(std::move(histories), selection.window, selection.series);
    // Nothing to compare: the reason in a message, no window.
    if (!view->Result()) {
        const QString why = view->Problem();
        delete view;
        qx::ShowWarning(this, why);
        return nullptr;
    }
    view->show();
    if (!reading.damaged.isEmpty()) qx::ShowWarning(this, reading.damaged.join(u'\n'));
    return view;
}

}  // namespace qx
