// Record files from anywhere: read -> decode -> sample table -> list text and CSV in memory.
// Any input must end in a refused file or a table whose every cell lies in its buffer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/records/record_export.h"
#include "core/records/record_file.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"

namespace {

struct State {
    qx::RecordImage image;
    qx::RecordSet set;
    qx::SampleTable table;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* state = new State;  // reused like the window program reuses its buffers
    size_t length = 0;
    const qx::InstrumentTypeId type =
        qx::ReadRecordBytes(std::span(data, size), state->image, &length);
    if (type == 0) return 0;
    qx::DecodeRecord(state->image, state->set, type, length);

    // The whole record, then a window taken from the input's first sample time.
    state->table.Build(state->set, {});
    if (state->table.RowCount() != state->set.count) __builtin_trap();
    size_t cells = 0;
    for (int r = 0; r < state->table.RowCount(); ++r) {
        for (int c = 0; c < state->table.ColumnCount(); ++c)
            cells += state->table.Cell(r, c).size();
    }
    const std::string text = qx::ListTextBytes(state->table, qx::RecordParamRows(state->set));
    const std::string csv = qx::CsvBytes(state->table);
    // Every cell's text went into the list text, as UTF-16.
    if (text.size() < 2 + 2 * cells || csv.empty() != (state->table.ColumnCount() == 0)) {
        __builtin_trap();
    }

    if (state->set.count > 0) {
        qx::QueryRequest q;
        q.mode = qx::QueryMode::DateRange;
        q.rangeStart = q.rangeEnd = qx::SampleTime(state->set, state->set.count / 2);
        state->table.Build(state->set, qx::MakeQueryWindow(q, 0));
        if (state->table.RowCount() > state->set.count) __builtin_trap();
    }
    return 0;
}
