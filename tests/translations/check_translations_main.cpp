// check_translations --src DIR... --catalogues FILE... --ts FILE... [--glossary FILE
//                    [--docs FILE...]]
// Prints every problem (see translation_check.h) and exits 1 when there is one.
#include <cstdio>
#include <cstring>

#include "translation_check.h"

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> sources, catalogues, ts, glossary, docs;
    std::vector<std::filesystem::path>* into = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--src") == 0)
            into = &sources;
        else if (std::strcmp(argv[i], "--catalogues") == 0)
            into = &catalogues;
        else if (std::strcmp(argv[i], "--ts") == 0)
            into = &ts;
        else if (std::strcmp(argv[i], "--glossary") == 0)
            into = &glossary;
        else if (std::strcmp(argv[i], "--docs") == 0)
            into = &docs;
        else if (into)
            into->push_back(argv[i]);
        if (!into || glossary.size() > 1) {
            std::fprintf(stderr,
                         "usage: check_translations --src DIR... --catalogues FILE... --ts FILE... "
                         "[--glossary FILE [--docs FILE...]]\n");
            return 2;
        }
    }
    const qx::check::Problems problems = qx::check::CheckTranslations(
        sources, catalogues, ts, glossary.empty() ? std::filesystem::path() : glossary[0], docs);
    for (const std::string& line : problems.lines)
        std::fprintf(stderr, "%s\n", line.c_str());
    if (!problems.Empty())
        std::fprintf(stderr, "check-translations: %zu problem(s)\n", problems.lines.size());
    return problems.Empty() ? 0 : 1;
}
