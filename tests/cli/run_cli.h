// Runs the built qxlog-cli (path in QXLOG_CLI) with arguments and collects its exit code,
// standard output and standard error.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

// Lines of a text, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace qx::test
