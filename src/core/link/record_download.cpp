#include "record_download.h"

#include <algorithm>
#include <cstring>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {

int DownloadPauseMs(uint32_t blocks) {
    if (blocks == 0) return 800;
    return static_cast<int>(std::clamp<uint32_t>(3000 / blocks, 10, 800));
}

DownloadResult DownloadRecord(ReportProtocol& protocol, RecordImage& image,
                              const DownloadHooks& hooks) {
    DownloadResult result;
    InstrumentLink& link = protocol.Link();
    if (!link.Connected()) return result;
    const InstrumentTypeId type = link.State().type;

    if (!protocol.ReadParamBlock(ParamSource::kStopAndRead, result.params)) {
        result.status = DownloadStatus::kStopReadFailed;
        return result;
    }
    const ParamBlock& p = result.params;
    result.count = EffectiveRecordCount(p, type);

    image.SetDownloadTime(static_cast<uint32_t>(protocol.Now()));
    image.SetParams(p);

    const uint32_t s = static_cast<uint32_t>(BytesPerSample(type));
    const uint32_t k = static_cast<uint32_t>(SamplesPerBlock(type));
    const uint32_t fits =
        static_cast<uint32_t>((RecordImage::kSize - RecordImage::kHeaderSize) / s);
    const uint32_t n = std::min(result.count, fits);
    result.truncated = n < result.count;
    const uint32_t blocks = (n + k - 1) / k;
    result.blocks = blocks;

    if (hooks.begin) hooks.begin(Tr(kDownloadWaitText), n);
    auto finish = [&](DownloadStatus status) {
        if (hooks.finish) hooks.finish();
        result.status = status;
        return result;
    };

    const int pause = DownloadPauseMs(blocks);
    int shownPercent = -1;
    SampleBlock block;
    for (uint32_t i = 0; i < blocks; ++i) {
        const bool last = i + 1 == blocks;
        uint32_t m = k;
        if (last && n % k != 0) m = n % k;
        const uint32_t d = i * k + m;

        float pf = static_cast<float>(d) / static_cast<float>(n) * 100.0f + 0.5f;
        pf = std::clamp(pf, 1.0f, 100.0f);
        DownloadProgress progress;
        progress.total = n;
        progress.done = d;
        progress.percent = static_cast<int>(pf);
        progress.position = d + k;
        progress.text = StrFormat("%d%%(%u/%u)", progress.percent, d, n);
        if (hooks.progress) hooks.progress(progress);

        if (progress.percent != shownPercent || last) {
            shownPercent = progress.percent;
            if (hooks.pause) hooks.pause(last ? 100 : pause);
        }

        if (!protocol.ReadBlock(static_cast<uint16_t>(i), block)) {
            link.Close();
            return finish(DownloadStatus::kBlockFailed);
        }
        std::memcpy(image.Samples() + size_t{i} * k * s, block.data(), size_t{m} * s);
        result.fetched = d;
    }
    return finish(DownloadStatus::kOk);
}

}  // namespace qx
