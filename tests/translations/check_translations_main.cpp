// check_translations --src DIR... --catalogues FILE... --ts FILE...
// Prints every problem (see translation_check.h) and exits 1 when there is one.
#include <cstdio>
#include <cstring>

#include "translation_check.h"

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> sources, catalogues, ts;
    std::vector<std::filesystem::path>* into = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--src") == 0)
            into = &sources;
        else if (std::strcmp(argv[i], "--catalogues") == 0)
            into = &catalogues;
        else if (std::strcmp(argv[i], "--ts") == 0)
            into = &ts;
        else if (into)
            into->push_back(argv[i]);
        else {
            std::fprintf(
                stderr,
                "usage: check_translations --src DIR... --catalogues FILE... --ts FILE...\n");
            return 2;
        }
    }
    const qx::check::Problems problems = qx::check::CheckTranslations(sources, catalogues, ts);
    for (const std::string& line : problems.lines)
        std::fprintf(stderr, "%s\n", line.c_str());
    if (!problems.Empty())
        std::fprintf(stderr, "check-translations: %zu problem(s)\n", problems.lines.size());
    return problems.Empty() ? 0 : 1;
}
