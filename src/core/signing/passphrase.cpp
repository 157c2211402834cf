#include "passphrase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {

std::optional<std::string> PassphraseFromFile(const std::string& path, std::string& problem) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = StrFormat(Tr("口令文件 %s 不能读取"), path.c_str());
        return std::nullopt;
    }
    if (st.st_mode & (S_IRWXG | S_IRWXO)) {
        problem = StrFormat(Tr("口令文件 %s 别人也能读取 (权限 %04o), 不用它; 先执行 chmod 600 %s"),
                            path.c_str(), static_cast<unsigned>(st.st_mode & 07777), path.c_str());
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || (!std::getline(in, line) && !in.eof())) {
        problem = StrFormat(Tr("口令文件 %s 不能读取"), path.c_str());
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> PassphraseFromTerminal(const std::string& prompt) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    termios saved{};
    const bool isTerminal = ::tcgetattr(fd, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    if (::write(fd, prompt.data(), prompt.size()) < 0) {
        // The prompt is a courtesy; the reading below still works.
    }
    std::string line;
    char c = 0;
    bool read = false;
    while (::read(fd, &c, 1) == 1) {
        read = true;
        if (c == '\n') break;
        line += c;
    }
    if (isTerminal) ::tcsetattr(fd, TCSAFLUSH, &saved);
    ::close(fd);
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace qx
