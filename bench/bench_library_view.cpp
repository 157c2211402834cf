// The library view with 1,000 recordings (100 loggers, 10 recordings each, a record file each):
// one Refresh() opens the library, lists the recordings with the states of their files and fills
// the list, then the list is painted, as showing the view or changing a filter does. The figure
// to reach: under 100 ms.
#include <benchmark/benchmark.h>

#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "core/library/library_location.h"
#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"  // tests/core/records
#include "gui/browser/library_view.h"
#include "gui_bench_main.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kStart = 1672502400;  // 2023-01-01 00:00 +08:00

// The library, made once for every run.
std::string Library() {
    static const std::string location = [] {
        const fs::path folder = fs::temp_directory_path() / "qx-bench-library-view";
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string at = (folder / "QXLibrary.sqlite").string();
        auto library = qx::OpenLibrary(at, qx::LibraryOpen::kCreate).library;
        for (int logger = 0; logger < 100; ++logger) {
            for (uint32_t r = 0; r < 10; ++r) {
                const fs::path path =
                    folder / (std::to_string(logger) + "-" + std::to_string(r) + ".QXRec");
                qx::RecordImage image = qx::test::MakeRecordImage(4, 288, kStart + r * 86400, 300);
                qx::ParamBlock p = image.Params();
                p.SetNumber(u"N" + std::u16string(1, static_cast<char16_t>(u'0' + logger / 10)) +
                            std::u16string(1, static_cast<char16_t>(u'0' + logger % 10)));
                image.SetParams(p);
                qx::WriteRecordFile(path.string(), image, 4);
                library->AddRecordFile(path.string());
            }
        }
        return at;
    }();
    return location;
}

void BM_FillLibraryView(benchmark::State& state) {
    qx::CLibraryView view;
    view.resize(1000, 640);
    view.SetLocation(QString::fromStdString(Library()));
    view.show();
    for (auto _ : state) {
        view.Refresh();
        // Laid out and painted.
        view.List()->viewport()->repaint();
    }
    int recordings = 0;
    for (int i = 0; i < view.List()->topLevelItemCount(); ++i)
        recordings += view.List()->topLevelItem(i)->childCount();
    state.SetLabel(std::to_string(recordings) + " recordings of " +
                   std::to_string(view.List()->topLevelItemCount()) + " instruments listed");
}
BENCHMARK(BM_FillLibraryView)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
