// qxlog-cli-manpage [--lang en] FILE: writes the man page of qxlog-cli to FILE, in English with
// --lang en. A build step, not installed.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "cli_language.h"
#include "man_page.h"

int main(int argc, char** argv) {
    const bool english =
        argc == 4 && std::strcmp(argv[1], "--lang") == 0 && std::strcmp(argv[2], "en") == 0;
    if (argc != 2 && !english) {
        std::fprintf(stderr, "Usage: qxlog-cli-manpage [--lang en] FILE\n");
        return 2;
    }
    // The page is the same wherever it is built: the language is the one asked for.
    qx::cli::AddCliEnglishTexts();
    qx::SetLanguage(english ? qx::Language::kEnglish : qx::Language::kChinese);
    const char* path = argv[argc - 1];
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << qx::cli::ManPage();
    out.close();
    if (!out) {
        std::fprintf(stderr, "qxlog-cli-manpage: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
