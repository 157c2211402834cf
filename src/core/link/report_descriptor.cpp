#include "report_descriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qx {
namespace {

enum class ItemAction { kInput, kOutput, kReportSize, kReportId, kReportCount, kPush, kPop };

// Short items by their prefix byte with the two size bits cleared (tag << 4 | type << 2).
// Items not listed (usages, logical ranges, collections, ...) do not change report sizes.
struct ItemRule {
    uint8_t prefix;
    ItemAction action;
};
constexpr ItemRule kItemRules[] = {
    {0x80, ItemAction::kInput},       {0x90, ItemAction::kOutput},
    {0x74, ItemAction::kReportSize},  {0x84, ItemAction::kReportId},
    {0x94, ItemAction::kReportCount}, {0xA4, ItemAction::kPush},
    {0xB4, ItemAction::kPop},
};
constexpr uint8_t kLongItemPrefix = 0xFE;

struct Globals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

uint16_t BufferLength(const std::array<uint64_t, 256>& bits) {
    const uint64_t largest = *std::max_element(bits.begin(), bits.end());
    if (largest == 0) return 0;
    return static_cast<uint16_t>(std::min<uint64_t>((largest + 7) / 8 + 1, 0xFFFF));
}

}  // namespace

std::optional<ReportLengths> ParseReportDescriptor(std::span<const uint8_t> d) {
    if (d.empty()) return std::nullopt;
    std::array<uint64_t, 256> inputBits{}, outputBits{};
    Globals g;
    std::vector<Globals> stack;
    size_t i = 0;
    while (i < d.size()) {
        const uint8_t prefix = d[i];
        if (prefix == kLongItemPrefix) {
            if (i + 2 >= d.size()) return std::nullopt;
            const size_t size = d[i + 1];
            if (i + 3 + size > d.size()) return std::nullopt;
            i += 3 + size;
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > d.size()) return std::nullopt;
        uint32_t value = 0;
        for (size_t k = 0; k < size; ++k)
            value |= static_cast<uint32_t>(d[i + 1 + k]) << (8 * k);
        i += 1 + size;

        const auto rule =
            std::find_if(std::begin(kItemRules), std::end(kItemRules),
                         [&](const ItemRule& r) { return r.prefix == (prefix & 0xFC); });
        if (rule == std::end(kItemRules)) continue;
        const uint64_t bits = uint64_t{g.reportSize} * g.reportCount;
        switch (rule->action) {
            case ItemAction::kInput:
                inputBits[g.reportId] += bits;
                break;
            case ItemAction::kOutput:
                outputBits[g.reportId] += bits;
                break;
            case ItemAction::kReportSize:
                g.reportSize = value;
                break;
            case ItemAction::kReportCount:
                g.reportCount = value;
                break;
            case ItemAction::kReportId:
                g.reportId = static_cast<uint8_t>(value);
                break;
            case ItemAction::kPush:
                if (stack.size() < 64) stack.push_back(g);
                break;
            case ItemAction::kPop:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
        }
    }
    return ReportLengths{BufferLength(inputBits), BufferLength(outputBits)};
}

}  // namespace qx
