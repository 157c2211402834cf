// Writes one small valid record file per model into a folder: the seed corpus of the record
// fuzzer (fuzz/corpus/record) and handy files for trying qxlog-cli.
//   make_record_seeds DIR [SAMPLES]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/records/record_file.h"
#include "record_fixtures.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_record_seeds DIR [SAMPLES]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const long samples = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 24;
    if (samples < 0 || samples > 32512) {
        std::fprintf(stderr, "make_record_seeds: SAMPLES must be 0..32512\n");
        return 2;
    }
    for (qx::InstrumentTypeId t = 1; t <= qx::kModelCount; ++t) {
        const uint32_t n =
            std::min<uint32_t>(static_cast<uint32_t>(samples), qx::Model(t).sampleCap);
        qx::RecordImage image = qx::test::MakeRecordImage(t, n);
        const std::string path = dir + "/" + qx::ModelName(t) + ".QXRec";
        if (!qx::WriteRecordFile(path, image, t)) {
            std::fprintf(stderr, "make_record_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
