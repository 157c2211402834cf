#include "xlsx_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {
namespace {

uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                                 (static_cast<uint8_t>(b[at + 1]) << 8));
}

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(U16(b, at)) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

// Follows the tags of an XML text fed in pieces. Only what the checks need: element nesting,
// quoted attribute values (which may hold '>'), and the r attribute of <row> elements.
class XmlTagCheck {
  public:
    // consecutiveRows: rows numbered 1, 2, 3 ...; otherwise only rising (a sheet with gaps).
    explicit XmlTagCheck(bool consecutiveRows) : consecutiveRows_(consecutiveRows) {}

    void Feed(const char* p, size_t n) {
        for (size_t i = 0; i < n && error_.empty(); ++i)
            Step(p[i]);
    }

    // Empty when the text was well-formed in its tags; else what is wrong.
    std::string Finish() {
        if (!error_.empty()) return error_;
        if (state_ != State::kText) return Tr("在标记中结束");
        if (!rootClosed_) return stack_.empty() ? Tr("没有根元素") : Tr("根元素没有结束");
        return {};
    }
    int Rows() const { return rows_; }

  private:
    enum class State { kText, kTag, kQuoted };
    static constexpr size_t kTagKeep = 256;
    static constexpr size_t kMaxDepth = 64;

    void Step(char c) {
        switch (state_) {
            case State::kText:
                if (c == '<') {
                    tag_.clear();
                    last_ = 0;
                    state_ = State::kTag;
                } else if (stack_.empty() && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                    error_ = Tr("根元素之外有文字");
                }
                return;
            case State::kTag:
                if (c == '>') {
                    state_ = State::kText;
                    EndOfTag();
                    return;
                }
                if (c == '"' || c == '\'') {
                    quote_ = c;
                    state_ = State::kQuoted;
                }
                break;
            case State::kQuoted:
                if (c == quote_) state_ = State::kTag;
                break;
        }
        if (tag_.size() < kTagKeep) tag_ += c;
        last_ = c;
    }

    void EndOfTag() {
        if (tag_.empty()) {
            error_ = Tr("空标记");
            return;
        }
        if (tag_.front() == '?') {
            if (last_ != '?' || hadRoot_) error_ = Tr("处理指令位置不对");
            return;
        }
        if (tag_.front() == '!') {
            error_ = Tr("意外的标记 <!");
            return;
        }
        if (tag_.front() == '/') {
            const std::string name = Name(1);
            if (stack_.empty() || stack_.back() != name) {
                error_ = StrFormat(Tr("</%s> 没有结束打开的元素"), name.c_str());
                return;
            }
            stack_.pop_back();
            if (stack_.empty()) rootClosed_ = true;
            return;
        }
        if (rootClosed_) {
            error_ = Tr("第二个根元素");
            return;
        }
        hadRoot_ = true;
        const std::string name = Name(0);
        if (name.empty()) {
            error_ = Tr("没有名称的标记");
            return;
        }
        if (name == "row") CountRow();
        if (last_ == '/') {  // self-closing
            if (stack_.empty()) rootClosed_ = true;
            return;
        }
        if (stack_.size() >= kMaxDepth) {
            error_ = Tr("元素嵌套过深");
            return;
        }
        stack_.push_back(name);
    }

    std::string Name(size_t from) const {
        const size_t end = tag_.find_first_of(" \t\r\n/", from);
        return tag_.substr(from, end == std::string::npos ? std::string::npos : end - from);
    }

    void CountRow() {
        ++rows_;
        const size_t at = tag_.find(" r=\"");
        if (!consecutiveRows_) {
            long r = 0;
            const bool read =
                at != std::string::npos && std::sscanf(tag_.c_str() + at + 4, "%ld", &r) == 1;
            if (!read || r <= lastRow_) error_ = StrFormat(Tr("第 %d 行顺序不对"), rows_);
            lastRow_ = r;
            return;
        }
        const std::string expected = std::to_string(rows_) + "\"";
        if (at == std::string::npos || tag_.compare(at + 4, expected.size(), expected) != 0) {
            error_ = StrFormat(Tr("第 %d 行缺少或顺序不对"), rows_);
        }
    }

    State state_ = State::kText;
    char quote_ = 0;
    std::string tag_;  // the tag's first kTagKeep characters: its name and first attributes
    char last_ = 0;    // the tag's last character, kept however long the tag is
    std::vector<std::string> stack_;
    bool hadRoot_ = false;
    bool rootClosed_ = false;
    int rows_ = 0;
    long lastRow_ = 0;
    bool consecutiveRows_;
    std::string error_;
};

struct Entry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t packedSize = 0;
    uint32_t size = 0;
    uint32_t localOffset = 0;
};

// The file read by ranges, so that a workbook of any size is checked in little memory.
class FileRanges {
  public:
    explicit FileRanges(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && st.st_size >= 0) {
            size_ = static_cast<uint64_t>(st.st_size);
        } else {
            failed_ = true;
        }
    }
    ~FileRanges() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileRanges(const FileRanges&) = delete;
    FileRanges& operator=(const FileRanges&) = delete;

    bool ok() const { return fd_ >= 0 && !failed_; }
    uint64_t size() const { return size_; }
    // The n bytes from at; false (and failed() from then on when reading failed) when the
    // file does not hold them all.
    bool Read(uint64_t at, size_t n, std::string& out) {
        out.resize(n);
        size_t done = 0;
        while (done < n) {
            const ssize_t got =
                ::pread(fd_, out.data() + done, n - done, static_cast<off_t>(at + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) failed_ = true;
            if (got <= 0) return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }
    bool failed() const { return failed_; }

  private:
    int fd_;
    uint64_t size_ = 0;
    bool failed_ = false;
};

// The central directory of the zip in `file` and its offset (where the entries' data ends);
// error set when it is not whole.
std::vector<Entry> CentralDirectory(FileRanges& file, uint64_t& dataEnd, std::string& error) {
    constexpr size_t kEndSize = 22;
    if (file.size() < kEndSize) {
        error = StrFormat(Tr("不是 zip 文件 (%zu 字节)"), static_cast<size_t>(file.size()));
        return {};
    }
    // The end record is the last 22 bytes plus its comment; search back over a comment's
    // largest length.
    const uint64_t base = file.size() >= kEndSize + 0xFFFF ? file.size() - kEndSize - 0xFFFF : 0;
    std::string tail;
    if (!file.Read(base, static_cast<size_t>(file.size() - base), tail)) return {};
    size_t end = std::string::npos;
    for (size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (U32(tail, at) == 0x06054b50 && at + kEndSize + U16(tail, at + 20) == tail.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos) {
        error = Tr("缺少 zip 结束记录 (文件被截断)");
        return {};
    }
    const uint16_t count = U16(tail, end + 10);
    const uint32_t dirSize = U32(tail, end + 12);
    const uint32_t dirOffset = U32(tail, end + 16);
    if (U16(tail, end + 4) != 0 || U16(tail, end + 6) != 0 || U16(tail, end + 8) != count ||
        static_cast<uint64_t>(dirOffset) + dirSize > base + end) {
        error = Tr("zip 结束记录不一致");
        return {};
    }
    dataEnd = dirOffset;
    std::string dir;
    if (!file.Read(dirOffset, dirSize, dir)) return {};
    std::vector<Entry> entries;
    size_t at = 0;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + 46 > dir.size() || U32(dir, at) != 0x02014b50) {
            error = StrFormat(Tr("zip 中央目录第 %u 项已损坏"), i + 1);
            return {};
        }
        const size_t nameLength = U16(dir, at + 28);
        const size_t recordLength = 46 + nameLength + U16(dir, at + 30) + U16(dir, at + 32);
        if (at + recordLength > dir.size()) {
            error = StrFormat(Tr("zip 中央目录第 %u 项已损坏"), i + 1);
            return {};
        }
        Entry e;
        e.flags = U16(dir, at + 8);
        e.method = U16(dir, at + 10);
        e.crc = U32(dir, at + 16);
        e.packedSize = U32(dir, at + 20);
        e.size = U32(dir, at + 24);
        e.localOffset = U32(dir, at + 42);
        e.name = dir.substr(at + 46, nameLength);
        entries.push_back(std::move(e));
        at += recordLength;
    }
    if (at != dir.size()) {
        error = Tr("zip 中央目录大小不一致");
        return {};
    }
    return entries;
}

// Unpacks one entry, checks its size and CRC-32 and feeds its bytes to xml.
bool CheckEntry(FileRanges& file, uint64_t dataEnd, const Entry& e, XmlTagCheck& xml,
                std::string& error) {
    constexpr size_t kChunk = 65536;
    const uint64_t local = e.localOffset;
    std::string header, name;
    if (local + 30 > dataEnd || !file.Read(local, 30, header) || U32(header, 0) != 0x04034b50 ||
        !file.Read(local + 30, e.name.size(), name) || name != e.name) {
        if (error.empty() && !file.failed()) error = Tr("本地文件头已损坏");
        return false;
    }
    // Without a data descriptor (flag bit 3) the local header repeats the CRC-32 and the sizes;
    // readers that stream the zip go by those.
    if ((e.flags & 8) == 0 && (U32(header, 14) != e.crc || U32(header, 18) != e.packedSize ||
                               U32(header, 22) != e.size)) {
        error = Tr("本地文件头与中央目录不符");
        return false;
    }
    const uint64_t data = local + 30 + U16(header, 26) + U16(header, 28);
    if (data > dataEnd || dataEnd - data < e.packedSize) {
        error = Tr("数据超出文件末尾");
        return false;
    }
    if ((e.flags & 1) != 0 || (e.method != 0 && e.method != 8)) {
        error = StrFormat(Tr("不支持的项 (标志 0x%x, 方法 %u)"), e.flags, e.method);
        return false;
    }
    uLong crc = crc32(0, nullptr, 0);
    uint64_t total = 0;
    const auto take = [&](const char* p, size_t n) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(p), static_cast<uInt>(n));
        total += n;
        xml.Feed(p, n);
    };
    std::string in;
    uint64_t at = data;
    uint64_t left = e.packedSize;
    // The next piece of the entry's packed bytes; false when the file could not give it.
    const auto next = [&]() {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
        if (!file.Read(at, n, in)) return false;
        at += n;
        left -= n;
        return true;
    };
    if (e.method == 0) {
        while (left > 0) {
            if (!next()) return false;
            take(in.data(), in.size());
        }
    } else {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
            error = Tr("不能解压 (zlib)");
            return false;
        }
        std::vector<char> out(kChunk);
        int status = Z_OK;
        bool read = true;
        while (status == Z_OK) {
            if (z.avail_in == 0 && left > 0) {
                if (!(read = next())) break;
                z.next_in = reinterpret_cast<Bytef*>(in.data());
                z.avail_in = static_cast<uInt>(in.size());
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            take(out.data(), out.size() - z.avail_out);
            if (total > e.size) break;
        }
        const bool complete = status == Z_STREAM_END && z.avail_in == 0 && left == 0;
        inflateEnd(&z);
        if (!read) return false;
        if (!complete) {
            error = Tr("压缩数据已损坏或被截断");
            return false;
        }
    }
    if (total != e.size || crc != e.crc) {
        error = Tr("大小或 CRC-32 不符");
        return false;
    }
    return true;
}

}  // namespace

bool CheckXlsxFile(const std::string& path, std::span<const XlsxPart> parts, std::string* error) {
    std::string why;
    const auto fail = [&](std::string text) {
        if (error) *error = std::move(text);
        return false;
    };
    FileRanges file(path);
    if (!file.ok()) return fail(StrFormat(Tr("不能读回 %s"), path.c_str()));
    uint64_t dataEnd = 0;
    const std::vector<Entry> entries = CentralDirectory(file, dataEnd, why);
    if (file.failed()) return fail(StrFormat(Tr("不能读回 %s"), path.c_str()));
    if (!why.empty()) return fail(StrFormat(Tr("工作簿已损坏: %s"), why.c_str()));
    for (const XlsxPart& part : parts) {
        const Entry* entry = nullptr;
        for (const Entry& e : entries) {
            if (e.name == part.name) entry = &e;
        }
        if (!entry)
            return fail(StrFormat(Tr("工作簿已损坏: 缺少 %.*s"), static_cast<int>(part.name.size()),
                                  part.name.data()));
        XmlTagCheck xml(part.rows >= 0);
        if (CheckEntry(file, dataEnd, *entry, xml, why)) {
            why = xml.Finish();
        } else if (file.failed()) {
            return fail(StrFormat(Tr("不能读回 %s"), path.c_str()));
        } else if (why.empty()) {
            why = Tr("数据超出文件末尾");
        }
        if (why.empty() && part.rows >= 0 && xml.Rows() != part.rows) {
            why = StrFormat(Tr("%d 行, 应为 %d 行"), xml.Rows(), part.rows);
        }
        if (!why.empty()) {
            return fail(StrFormat(Tr("工作簿已损坏: %s: %s"), entry->name.c_str(), why.c_str()));
        }
    }
    return true;
}

}  // namespace qx
