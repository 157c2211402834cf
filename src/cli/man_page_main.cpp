// qxlog-cli-manpage FILE: writes the man page of qxlog-cli to FILE. A build step, not installed.
#include <cstdio>
#include <fstream>

#include "man_page.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: qxlog-cli-manpage FILE\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << qx::cli::ManPage();
    out.close();
    if (!out) {
        std::fprintf(stderr, "qxlog-cli-manpage: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
