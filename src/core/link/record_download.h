// The download of a stored recording into a RecordImage: stop the recording and read its
// parameter block P, write the header (download time, P), then fetch the samples block by
// block, k = 60 div (bytes per sample) samples a block, with the progress text "p%(d/n)" and
// short pauses that let the display keep up. Saving and decoding the image are the caller's.
//
// Pauses: with B blocks, 3000 div B ms (limited to 10..800) whenever the shown percent
// changes, and 100 ms after the last block, so a download spends about 3 s in pauses.
// Samples that would not fit the 131072-byte image are not fetched: only the whole samples
// that fit are (every model's sample cap fits, so only a nonsensical count is cut).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/model/language.h"
#include "core/model/param_block.h"
#include "core/records/record_image.h"
#include "report_protocol.h"

namespace qx {

struct DownloadProgress {
    uint32_t total = 0;     // n: samples to fetch
    uint32_t done = 0;      // d: samples fetched once the current block is in
    int percent = 0;        // p, 1..100
    uint32_t position = 0;  // progress bar position, d + k (range 0..n)
    std::string text;       // "%d%%(%d/%d)" of p, d, n
};

struct DownloadHooks {
    // The wait popup appears: its first line and the progress range 0..total.
    std::function<void(const std::string& line0, uint32_t total)> begin;
    // Before each block is fetched.
    std::function<void(const DownloadProgress&)> progress;
    // A pause in ms; the window program keeps painting meanwhile, tests only record it.
    std::function<void(int ms)> pause;
    // The popup is done (called once on every way out after begin).
    std::function<void()> finish;
};

// The wait popup's text (untranslated; the download passes it through Tr()).
inline constexpr const char* kDownloadWaitText = TrNoop("正在接收数据,请稍候...");

enum class DownloadStatus {
    kOk,
    kNotConnected,    // no instrument chosen
    kStopReadFailed,  // stopping the recording or reading its parameters failed
    kBlockFailed,     // a block could not be fetched; the image holds the blocks before it
};

struct DownloadResult {
    DownloadStatus status = DownloadStatus::kNotConnected;
    ParamBlock params;       // P, the recording's parameter block (host order)
    uint32_t count = 0;      // samples the block describes (effective record count)
    uint32_t fetched = 0;    // samples fetched into the image
    bool truncated = false;  // count exceeded what the image holds
    uint32_t blocks = 0;     // blocks of the download
};

// Pause of a download with `blocks` blocks when the shown percent changes.
int DownloadPauseMs(uint32_t blocks);

// Steps of the download for the current InstrumentTypeId of the protocol's link.
DownloadResult DownloadRecord(ReportProtocol& protocol, RecordImage& image,
                              const DownloadHooks& hooks);

}  // namespace qx
