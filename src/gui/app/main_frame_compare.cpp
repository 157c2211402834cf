// The main window's comparison of instruments: a window of its own over the record library.
#include <algorithm>

#include "core/library/library_comparison.h"
#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/text_util.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/compare/compare_view.h"
#include "main_frame.h"

namespace qx {

CCompareView* CMainFrame::OpenComparison(const ComparisonSelection& selection) {
    const std::string location =
        selection.library.empty() ? DefaultLibraryLocation() : selection.library;
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    if (!opened.library) {
        qx::ShowWarning(this, ToQString(WithReason(opened.message, opened.error.detail)));
        return nullptr;
    }
    RecordLibrary& library = *opened.library;
    std::vector<LibraryId> ids = selection.instruments;
    if (!selection.names.empty()) {
        std::vector<LibraryId> named;
        CompareOutcome outcome;
        if (!FindNamedInstruments(library, selection.names, named, &outcome)) {
            QString text;
            switch (outcome.fault) {
                case CompareFault::kUnknown:
                    text = tr("记录库中没有仪器 %1").arg(ToQString(outcome.name));
                    break;
                case CompareFault::kAmbiguous: {
                    QStringList candidates;
                    for (const std::string& c : outcome.candidates)
                        candidates << ToQString(c);
                    text = tr("有几台仪器的编号是 %1:%2")
                               .arg(ToQString(outcome.name), candidates.join(QStringLiteral(", ")));
                    break;
                }
                case CompareFault::kTwice:
                    text = tr("仪器 %1 选了两次").arg(ToQString(outcome.name));
                    break;
                default:
                    text = ToQString(LibraryErrorMessage(location, library.Error()));
                    break;
            }
            qx::ShowWarning(this, text);
            return nullptr;
        }
        for (const LibraryId id : named) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        }
    }
    std::vector<InstrumentHistory> histories;
    bool read = ReadHistories(library, ids, selection.window, histories);
    const std::optional<int64_t> from =
        selection.window.bounded ? std::optional(selection.window.from) : std::nullopt;
    const std::optional<int64_t> to =
        selection.window.bounded ? std::optional(selection.window.to) : std::nullopt;
    for (size_t k = 0; read && k < selection.recordings.size(); ++k)
        read = library.Recording(selection.recordings[k], from, to,
                                 histories.emplace_back().emplace_back());
    if (!read) {
        qx::ShowWarning(this, ToQString(WithReason(LibraryErrorMessage(location, library.Error()),
                                                   library.Error().detail)));
        return nullptr;
    }
    for (size_t k = 0; k < selection.recordings.size(); ++k) {
        // A recording no longer in the library comes back without a known model.
        if (!IsKnownModel(histories[ids.size() + k].front().type)) {
            qx::ShowWarning(this, tr("记录库中没有记录 %1").arg(selection.recordings[k]));
            return nullptr;
        }
    }
    auto* view = new CCompareView(this);
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(tr("对比 - %1").arg(ApplicationTitle()));
    view->resize(1000, 700);
    view->SetHistories(std::move(histories), selection.window, selection.series);
    view->show();
    return view;
}

}  // namespace qx
