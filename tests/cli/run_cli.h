// Runs the built qxlog-cli (path in QXLOG_CLI) with arguments and collects its exit code,
// standard output and standard error; shell scripts likewise.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qx::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline CliRun RunCli(const std::vector<std::string>& args) {
    static int counter = 0;
    const std::filesystem::path errFile =
        std::filesystem::temp_directory_path() /
        ("qxlog-cli-err-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::string command = ShellQuote(QXLOG_CLI);
    for (const std::string& a : args)
        command += " " + ShellQuote(a);
    command += " 2>" + ShellQuote(errFile.string());
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream ss;
    ss << err.rdbuf();
    run.err = ss.str();
    std::filesystem::remove(errFile);
    return run;
}

// A shell script's exit code and its stdout and stderr together (in `out`).
inline CliRun RunShell(const std::string& script) {
    CliRun run;
    FILE* pipe = popen(("(" + script + "\n) 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Terminal columns of a UTF-8 line, Chinese characters taking two; -1 when it holds a control
// character or is not UTF-8.
inline int Columns(const std::string& line) {
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    if (!utf8) return -1;
    std::mbstate_t state{};
    int columns = 0;
    for (size_t i = 0; i < line.size();) {
        wchar_t c;
        const size_t n = std::mbrtowc(&c, line.data() + i, line.size() - i, &state);
        if (n == 0 || n > line.size() - i) return -1;
        const int w = wcwidth(c);
        if (w < 0) return -1;
        columns += w;
        i += n;
    }
    return columns;
}

// Lines of a text, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace qx::test
