#include "locale_output.h"

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qx::cli {
namespace {

// UTF-8 itself, and ASCII: the C and POSIX locales of scripts and services, whose output has
// always been UTF-8.
bool KeepsUtf8(const char* charset) {
    for (const char* name : {"UTF-8", "UTF8", "ANSI_X3.4-1968", "ASCII", "US-ASCII"}) {
        if (strcasecmp(charset, name) == 0) return true;
    }
    return false;
}

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that starts none.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether the n bytes at `s` are one UTF-8 character: continuation bytes after the lead.
bool IsUtf8Sequence(const char* s, size_t n) {
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) return false;
    }
    return true;
}

}  // namespace

OutputConverter::OutputConverter(const char* charset) {
    if (!charset || !*charset || KeepsUtf8(charset)) return;
    const iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd != reinterpret_cast<iconv_t>(-1)) cd_ = cd;
}

OutputConverter::~OutputConverter() {
    if (cd_) iconv_close(static_cast<iconv_t>(cd_));
}

std::string OutputConverter::Convert(std::string_view piece) {
    pending_.append(piece);
    if (!cd_) {
        std::string out;
        out.swap(pending_);
        return out;
    }
    std::string out;
    size_t i = 0;
    while (i < pending_.size()) {
        const size_t n = SequenceLength(static_cast<unsigned char>(pending_[i]));
        if (n > 1 && i + n > pending_.size()) {
            // Maybe the start of a character the next piece finishes.
            bool prefix = true;
            for (size_t k = i + 1; k < pending_.size(); ++k)
                prefix = prefix && (static_cast<unsigned char>(pending_[k]) & 0xC0) == 0x80;
            if (prefix) break;
        }
        if (n == 0 || i + n > pending_.size()) {
            out += pending_[i++];
            continue;
        }
        char* in = pending_.data() + i;
        size_t inLeft = n;
        char buffer[16];
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t done = iconv(static_cast<iconv_t>(cd_), &in, &inLeft, &to, &toLeft);
        if (done == static_cast<size_t>(-1)) {
            // Not UTF-8 after all, or not in the set: its first byte as it is, and on from the
            // next one.
            const bool valid = errno == EILSEQ && inLeft == n;
            iconv(static_cast<iconv_t>(cd_), nullptr, nullptr, nullptr, nullptr);
            if (!valid || !IsUtf8Sequence(pending_.data() + i, n)) {
                out += pending_[i++];
                continue;
            }
            out.append(pending_, i, n);
        } else {
            out.append(buffer, static_cast<size_t>(to - buffer));
        }
        i += n;
    }
    pending_.erase(0, i);
    return out;
}

std::string OutputConverter::Finish() {
    std::string rest;
    rest.swap(pending_);
    return rest;
}

namespace {

struct ConvertedStream {
    int fd;
    OutputConverter converter;
};

bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

ssize_t WriteConverted(void* cookie, const char* data, size_t size) {
    auto* stream = static_cast<ConvertedStream*>(cookie);
    if (!WriteAll(stream->fd, stream->converter.Convert({data, size}))) return -1;
    return static_cast<ssize_t>(size);
}

int CloseConverted(void* cookie) {
    auto* stream = static_cast<ConvertedStream*>(cookie);
    const bool ok = WriteAll(stream->fd, stream->converter.Finish());
    delete stream;
    return ok ? 0 : EOF;
}

FILE* OpenConverted(int fd, const char* charset, int buffering) {
    auto* stream = new ConvertedStream{fd, OutputConverter(charset)};
    cookie_io_functions_t functions{};
    functions.write = WriteConverted;
    functions.close = CloseConverted;
    FILE* file = fopencookie(stream, "w", functions);
    if (!file) {
        delete stream;
        return nullptr;
    }
    setvbuf(file, nullptr, buffering, BUFSIZ);
    return file;
}

// The streams replaced and their converting stand-ins, closed at exit: what waits in a
// converter is written, its memory freed, and the original streams are back for anything
// printed later.
FILE* originalOut = nullptr;
FILE* originalErr = nullptr;
FILE* convertedOut = nullptr;
FILE* convertedErr = nullptr;

void CloseConvertedStreams() {
    if (convertedOut) {
        std::fflush(convertedOut);
        stdout = originalOut;
        std::fclose(convertedOut);
        convertedOut = nullptr;
    }
    if (convertedErr) {
        stderr = originalErr;
        std::fclose(convertedErr);
        convertedErr = nullptr;
    }
}

}  // namespace

void ConvertOutputToLocale() {
    const char* charset = nl_langinfo(CODESET);
    if (!OutputConverter(charset).Converts()) return;
    std::fflush(stdout);
    std::fflush(stderr);
    // Buffered as before: standard output by line on a terminal and in blocks otherwise,
    // standard error not at all.
    const int outBuffering = isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF;
    if (convertedOut || convertedErr) return;  // once
    originalOut = stdout;
    originalErr = stderr;
    convertedOut = OpenConverted(STDOUT_FILENO, charset, outBuffering);
    convertedErr = OpenConverted(STDERR_FILENO, charset, _IONBF);
    if (convertedOut) stdout = convertedOut;
    if (convertedErr) stderr = convertedErr;
    std::atexit(CloseConvertedStreams);
}

}  // namespace qx::cli
