#include "every_instrument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/link/instrument_messages.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "tsv_field.h"

namespace qx::cli {

ChoiceArgument TakeInstrumentChoice(std::span<const std::string> args, size_t& i,
                                    CliOptions& options, bool& all, std::string& problem) {
    const std::string& a = args[i];
    if (a == "--all") {
        all = true;
    } else if (a == "--device") {
        if (i + 1 >= args.size()) {
            problem = Tr("--device 需要一个数 0, 1, ...");
            return ChoiceArgument::kBad;
        }
        const std::string& v = args[++i];
        char* end = nullptr;
        const long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || n < 0 || n > 1000) {
            problem = Tr("--device 需要一个数 0, 1, ...");
            return ChoiceArgument::kBad;
        }
        options.device = static_cast<int>(n);
    } else {
        return ChoiceArgument::kOther;
    }
    if (all && options.device >= 0) {
        problem = Tr("--all 和 --device N 不能一起用");
        return ChoiceArgument::kBad;
    }
    return ChoiceArgument::kTaken;
}

std::string InstrumentNumber(ConsoleInstrument& instrument) {
    ReportProtocol& protocol = instrument.session.protocol;
    ParamBlock block;
    if (!protocol.ReadStatus() || !instrument.session.state.live.HasSetParams() ||
        !protocol.ReadParamBlock(ParamSource::kSetParams, block)) {
        return "-";
    }
    const std::string number = Trim(Latin1ToUtf8(block.NumberLatin1()));
    return number.empty() ? "-" : number;
}

int ForEveryInstrument(const CliOptions& options,
                       const std::function<InstrumentOutcome(ConsoleInstrument&)>& work,
                       InstrumentTally* tally) {
    ConsoleInstrument instrument(options);
    instrument.ui.holdWarnings = true;
    instrument.ui.infoStream = nullptr;
    InstrumentLink& link = instrument.session.link;
    link.Enumerate();
    const std::vector<std::string> names = link.CandidateNames();
    if (names.empty()) {
        std::fprintf(stderr, "%s\n", Tr(msg::kNoDevice));
        return kExitFailure;
    }
    int failed = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        instrument.ui.ResetWarnings();
        const std::string model = ModelDisplayName(ModelFromProductString(names[i]));
        InstrumentOutcome outcome;
        std::string number = "-";
        std::string path = link.DevicePathOf(link.CandidateIndexes()[i]);
        if (!ConnectTo(instrument, path)) {
            outcome.text = Tr(msg::kNoDevice);
        } else {
            number = InstrumentNumber(instrument);
            instrument.ui.ResetWarnings();
            outcome = work(instrument);
            if (!link.DevicePath().empty()) path = link.DevicePath();
        }
        if (!outcome.ok) {
            ++failed;
            if (outcome.text.empty()) outcome.text = instrument.ui.Warnings();
            if (outcome.text.empty()) outcome.text = Tr("失败");
        }
        std::string result =
            outcome.ok ? (outcome.text.empty() ? "ok" : "ok " + outcome.text) : outcome.text;
        std::printf("%s\t%s\t%s\t%s\n", model.empty() ? "-" : model.c_str(),
                    TsvField(number).c_str(), path.empty() ? "-" : TsvField(path).c_str(),
                    TsvField(result).c_str());
        std::fflush(stdout);
        link.Close();
    }
    if (tally) *tally = {static_cast<int>(names.size()), failed};
    return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace qx::cli
