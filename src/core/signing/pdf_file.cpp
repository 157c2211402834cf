#include "pdf_file.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {
namespace {

bool IsWhite(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}
bool IsDelimiter(char c) {
    return std::strchr("()<>[]{}/%", c) != nullptr && c != '\0';
}
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Format(const char* format, size_t n) {
    char text[256];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// Values from the bytes of a file, from a position on. Every read checks the end first.
class Parser {
  public:
    Parser(std::string_view bytes, size_t pos) : s_(bytes), pos_(pos) {}
    size_t Pos() const { return pos_; }
    void SetPos(size_t pos) { pos_ = pos; }

    void SkipWhite() {
        while (pos_ < s_.size()) {
            if (IsWhite(s_[pos_])) {
                ++pos_;
            } else if (s_[pos_] == '%') {
                while (pos_ < s_.size() && s_[pos_] != '\n' && s_[pos_] != '\r')
                    ++pos_;
            } else {
                break;
            }
        }
    }
    // A bare word (keyword or number) at the position, without moving past it when `peek`.
    std::string_view Word(bool peek = false) {
        SkipWhite();
        size_t end = pos_;
        while (end < s_.size() && !IsWhite(s_[end]) && !IsDelimiter(s_[end]))
            ++end;
        const std::string_view w = s_.substr(pos_, end - pos_);
        if (!peek) pos_ = end;
        return w;
    }
    bool Keyword(std::string_view word) {
        const size_t start = pos_;
        if (Word() == word) return true;
        pos_ = start;
        return false;
    }
    static bool Integer(std::string_view w, long long& n) {
        if (w.empty() || w.size() > 18) return false;
        size_t i = w[0] == '-' || w[0] == '+' ? 1 : 0;
        if (i == w.size()) return false;
        for (size_t k = i; k < w.size(); ++k)
            if (w[k] < '0' || w[k] > '9') return false;
        n = std::strtoll(std::string(w).c_str(), nullptr, 10);
        return true;
    }

    bool Value(PdfValue& v, int depth = 0) {
        if (depth > 64) return false;
        SkipWhite();
        if (pos_ >= s_.size()) return false;
        v = PdfValue{};
        v.begin = pos_;
        const char c = s_[pos_];
        bool ok = true;
        if (c == '/') {
            v.kind = PdfValue::Kind::kName;
            ++pos_;
            while (pos_ < s_.size() && !IsWhite(s_[pos_]) && !IsDelimiter(s_[pos_])) {
                if (s_[pos_] == '#' && pos_ + 2 < s_.size() && HexDigit(s_[pos_ + 1]) >= 0 &&
                    HexDigit(s_[pos_ + 2]) >= 0) {
                    v.text +=
                        static_cast<char>(HexDigit(s_[pos_ + 1]) * 16 + HexDigit(s_[pos_ + 2]));
                    pos_ += 3;
                } else {
                    v.text += s_[pos_++];
                }
            }
        } else if (c == '(') {
            v.kind = PdfValue::Kind::kString;
            ok = LiteralString(v.text);
        } else if (c == '<' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '<') {
            v.kind = PdfValue::Kind::kDict;
            pos_ += 2;
            for (;;) {
                SkipWhite();
                if (pos_ + 1 < s_.size() && s_[pos_] == '>' && s_[pos_ + 1] == '>') {
                    pos_ += 2;
                    break;
                }
                PdfValue key, value;
                if (!Value(key, depth + 1) || !key.Is(PdfValue::Kind::kName) ||
                    !Value(value, depth + 1))
                    return false;
                v.entries.emplace_back(key.text, std::move(value));
            }
        } else if (c == '<') {
            v.kind = PdfValue::Kind::kString;
            ++pos_;
            int high = -1;
            for (;; ++pos_) {
                if (pos_ >= s_.size()) return false;
                if (s_[pos_] == '>') break;
                if (IsWhite(s_[pos_])) continue;
                const int d = HexDigit(s_[pos_]);
                if (d < 0) return false;
                if (high < 0) {
                    high = d;
                } else {
                    v.text += static_cast<char>(high * 16 + d);
                    high = -1;
                }
            }
            if (high >= 0) v.text += static_cast<char>(high * 16);
            ++pos_;
        } else if (c == '[') {
            v.kind = PdfValue::Kind::kArray;
            ++pos_;
            for (;;) {
                SkipWhite();
                if (pos_ < s_.size() && s_[pos_] == ']') {
                    ++pos_;
                    break;
                }
                PdfValue item;
                if (!Value(item, depth + 1)) return false;
                v.items.push_back(std::move(item));
            }
        } else {
            const std::string_view w = Word();
            if (w.empty()) return false;
            long long n = 0;
            if (w == "true" || w == "false") {
                v.kind = PdfValue::Kind::kBool;
            } else if (w == "null") {
                v.kind = PdfValue::Kind::kNull;
            } else if (Integer(w, n)) {
                // "n g R" is a reference.
                const size_t after = pos_;
                long long g = 0;
                if (n >= 0 && Integer(Word(), g) && g >= 0 && Word() == "R") {
                    v.kind = PdfValue::Kind::kRef;
                    v.objectNumber = static_cast<int>(n);
                    v.generation = static_cast<int>(g);
                } else {
                    pos_ = after;
                    v.kind = PdfValue::Kind::kNumber;
                    v.number = static_cast<double>(n);
                }
            } else {
                char* end = nullptr;
                const std::string text(w);
                v.number = std::strtod(text.c_str(), &end);
                if (*end != '\0') return false;
                v.kind = PdfValue::Kind::kNumber;
            }
        }
        if (!ok) return false;
        v.end = pos_;
        if (v.kind != PdfValue::Kind::kArray && v.kind != PdfValue::Kind::kDict)
            v.raw = std::string(s_.substr(v.begin, v.end - v.begin));
        return true;
    }

  private:
    bool LiteralString(std::string& out) {
        ++pos_;
        int depth = 1;
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '\\') {
                if (pos_ >= s_.size()) return false;
                const char e = s_[pos_++];
                switch (e) {
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case '\r':
                        if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
                        break;
                    case '\n':
                        break;
                    default:
                        if (e >= '0' && e <= '7') {
                            int code = e - '0';
                            for (int k = 0;
                                 k < 2 && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '7';
                                 ++k)
                                code = code * 8 + (s_[pos_++] - '0');
                            out += static_cast<char>(code);
                        } else {
                            out += e;
                        }
                }
            } else if (c == '(') {
                ++depth;
                out += c;
            } else if (c == ')') {
                if (--depth == 0) return true;
                out += c;
            } else {
                out += c;
            }
        }
        return false;
    }

    std::string_view s_;
    size_t pos_;
};

long long IntegerOf(const PdfValue* v, long long fallback = -1) {
    if (!v || !v->Is(PdfValue::Kind::kNumber)) return fallback;
    return static_cast<long long>(v->number);
}

// PNG row predictors (10..15) over rows of `columns` bytes.
std::optional<std::string> Unpredict(const std::string& data, long long columns) {
    if (columns <= 0 || columns > 1 << 16) return std::nullopt;
    const size_t row = static_cast<size_t>(columns);
    std::string out;
    std::string prior(row, '\0');
    for (size_t i = 0; i + 1 + row <= data.size(); i += row + 1) {
        const unsigned filter = static_cast<uint8_t>(data[i]);
        std::string cur = data.substr(i + 1, row);
        for (size_t k = 0; k < row; ++k) {
            const int a = k > 0 ? static_cast<uint8_t>(cur[k - 1]) : 0;
            const int b = static_cast<uint8_t>(prior[k]);
            const int c = k > 0 ? static_cast<uint8_t>(prior[k - 1]) : 0;
            int add = 0;
            if (filter == 1)
                add = a;
            else if (filter == 2)
                add = b;
            else if (filter == 3)
                add = (a + b) / 2;
            else if (filter == 4) {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
                          pc = std::abs(p - c);
                add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            } else if (filter != 0) {
                return std::nullopt;
            }
            cur[k] = static_cast<char>(static_cast<uint8_t>(cur[k]) + add);
        }
        out += cur;
        prior = cur;
    }
    return out;
}

std::optional<std::string> Inflate(const std::string& raw) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    int rc = Z_OK;
    char buffer[16384];
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (out.size() > (size_t{256} << 20)) rc = Z_MEM_ERROR;
        if (rc == Z_BUF_ERROR && z.avail_in == 0) rc = Z_STREAM_END;  // data without its end
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END) return std::nullopt;
    return out;
}

}  // namespace

const PdfValue* PdfValue::Find(std::string_view key) const {
    for (const auto& [k, v] : entries)
        if (k == key) return &v;
    return nullptr;
}

void PdfValue::Set(const std::string& key, PdfValue value) {
    for (auto& [k, v] : entries) {
        if (k == key) {
            v = std::move(value);
            return;
        }
    }
    entries.emplace_back(key, std::move(value));
}

PdfValue PdfValue::Name(std::string_view name) {
    PdfValue v;
    v.kind = Kind::kName;
    v.text = name;
    v.raw = "/" + std::string(name);
    return v;
}

PdfValue PdfValue::Integer(long long n) {
    PdfValue v;
    v.kind = Kind::kNumber;
    v.number = static_cast<double>(n);
    v.raw = std::to_string(n);
    return v;
}

PdfValue PdfValue::Ref(int number, int generation) {
    PdfValue v;
    v.kind = Kind::kRef;
    v.objectNumber = number;
    v.generation = generation;
    v.raw = std::to_string(number) + " " + std::to_string(generation) + " R";
    return v;
}

PdfValue PdfValue::HexString(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    PdfValue v;
    v.kind = Kind::kString;
    v.text = bytes;
    v.raw = "<";
    for (const char c : bytes) {
        v.raw += kDigits[static_cast<uint8_t>(c) >> 4];
        v.raw += kDigits[static_cast<uint8_t>(c) & 15];
    }
    v.raw += ">";
    return v;
}

PdfValue PdfValue::Array(std::vector<PdfValue> items) {
    PdfValue v;
    v.kind = Kind::kArray;
    v.items = std::move(items);
    return v;
}

PdfValue PdfValue::Dict() {
    PdfValue v;
    v.kind = Kind::kDict;
    return v;
}

std::string SerializePdfValue(const PdfValue& value) {
    switch (value.kind) {
        case PdfValue::Kind::kArray: {
            std::string s = "[";
            for (const PdfValue& item : value.items) {
                if (s.size() > 1) s += ' ';
                s += SerializePdfValue(item);
            }
            return s + "]";
        }
        case PdfValue::Kind::kDict: {
            std::string s = "<<";
            for (const auto& [key, item] : value.entries) {
                s += PdfValue::Name(key).raw;
                s += ' ';
                s += SerializePdfValue(item);
                s += '\n';
            }
            return s + ">>";
        }
        default:
            return value.raw.empty() ? "null" : value.raw;
    }
}

std::optional<std::string> DecodePdfStream(const PdfValue& dict, const std::string& raw) {
    const PdfValue* filter = dict.Find("Filter");
    if (filter && filter->Is(PdfValue::Kind::kArray)) {
        if (filter->items.empty())
            filter = nullptr;
        else if (filter->items.size() == 1)
            filter = &filter->items[0];
        else
            return std::nullopt;
    }
    if (!filter || filter->Is(PdfValue::Kind::kNull)) return raw;
    if (!filter->IsName("FlateDecode")) return std::nullopt;
    std::optional<std::string> data = Inflate(raw);
    const PdfValue* parms = dict.Find("DecodeParms");
    if (parms && parms->Is(PdfValue::Kind::kArray) && parms->items.size() == 1)
        parms = &parms->items[0];
    if (data && parms && parms->Is(PdfValue::Kind::kDict)) {
        const long long predictor = IntegerOf(parms->Find("Predictor"), 1);
        if (predictor >= 10) {
            const long long columns = IntegerOf(parms->Find("Columns"), 1);
            if (IntegerOf(parms->Find("Colors"), 1) != 1 ||
                IntegerOf(parms->Find("BitsPerComponent"), 8) != 8)
                return std::nullopt;
            return Unpredict(*data, columns);
        }
        if (predictor != 1) return std::nullopt;
    }
    return data;
}

bool PdfFile::Open(std::string bytes, std::string* error) {
    bytes_ = std::move(bytes);
    entries_.clear();
    cache_.clear();
    decodedStreams_.clear();
    std::string why;
    if (bytes_.substr(0, 1024).find("%PDF-") == std::string::npos) {
        if (error) *error = Tr("不是 PDF 文件 (开头没有 PDF 标记)");
        return false;
    }
    const size_t tail = bytes_.size() > 2048 ? bytes_.size() - 2048 : 0;
    const size_t at = bytes_.rfind("startxref", std::string::npos);
    long long offset = -1;
    if (at != std::string::npos && at >= tail) {
        Parser p(bytes_, at + 9);
        if (!Parser::Integer(p.Word(), offset)) offset = -1;
    }
    if (offset < 0 || static_cast<size_t>(offset) >= bytes_.size()) {
        if (error) *error = Tr("PDF 文件的结尾没有有效的 startxref, 文件可能不完整");
        return false;
    }
    lastXref_ = static_cast<size_t>(offset);
    if (!ReadXrefChain(lastXref_, error)) return false;
    const long long size = IntegerOf(trailer_.Find("Size"));
    const PdfValue* root = trailer_.Find("Root");
    if (size <= 0 || size > 10'000'000 || !root || !root->Is(PdfValue::Kind::kRef)) {
        if (error) *error = Tr("PDF 文件的 trailer 缺少 /Size 或 /Root");
        return false;
    }
    size_ = static_cast<int>(size);
    if (!entries_.empty()) size_ = std::max(size_, entries_.rbegin()->first + 1);
    return true;
}

bool PdfFile::ReadXrefChain(size_t offset, std::string* error) {
    std::set<size_t> seen;
    bool first = true;
    for (;;) {
        if (offset >= bytes_.size() || !seen.insert(offset).second) {
            if (error) *error = Format(Tr("PDF 文件的交叉引用表损坏 (偏移 %zu)"), offset);
            return false;
        }
        PdfValue trailer;
        Parser p(bytes_, offset);
        const bool table = p.Word(true) == "xref";
        if (!(table ? ReadXrefTable(offset, trailer, error)
                    : ReadXrefStream(offset, trailer, error)))
            return false;
        // A file written for both kinds of reader names its cross-reference stream as well.
        const long long hybrid = IntegerOf(trailer.Find("XRefStm"));
        if (table && hybrid >= 0) {
            PdfValue ignored;
            if (!ReadXrefStream(static_cast<size_t>(hybrid), ignored, error)) return false;
        }
        if (first) trailer_ = trailer;
        first = false;
        const long long prev = IntegerOf(trailer.Find("Prev"));
        if (prev < 0) return true;
        offset = static_cast<size_t>(prev);
    }
}

bool PdfFile::ReadXrefTable(size_t offset, PdfValue& trailer, std::string* error) {
    const auto broken = [&] {
        if (error) *error = Format(Tr("PDF 文件的交叉引用表损坏 (偏移 %zu)"), offset);
        return false;
    };
    Parser p(bytes_, offset);
    p.Word();  // xref
    for (;;) {
        if (p.Keyword("trailer")) break;
        long long start = 0, count = 0;
        if (!Parser::Integer(p.Word(), start) || !Parser::Integer(p.Word(), count) || start < 0 ||
            count < 0 || start + count > 10'000'000)
            return broken();
        for (long long k = 0; k < count; ++k) {
            long long where = 0, generation = 0;
            if (!Parser::Integer(p.Word(), where) || !Parser::Integer(p.Word(), generation))
                return broken();
            const std::string_view kind = p.Word();
            if (kind != "n" && kind != "f") return broken();
            const int number = static_cast<int>(start + k);
            if (entries_.count(number)) continue;  // a later revision has it
            Entry e;
            e.kind = kind == "n" ? 1 : 0;
            e.offset = static_cast<size_t>(where);
            e.generation = static_cast<int>(generation);
            entries_[number] = e;
        }
    }
    if (!p.Value(trailer) || !trailer.Is(PdfValue::Kind::kDict)) return broken();
    return true;
}

bool PdfFile::ReadXrefStream(size_t offset, PdfValue& trailer, std::string* error) {
    const auto broken = [&] {
        if (error) *error = Format(Tr("PDF 文件的交叉引用表损坏 (偏移 %zu)"), offset);
        return false;
    };
    Object object;
    if (!ReadObjectAt(offset, -1, object, nullptr) || !object.stream ||
        !object.value.Find("Type") || !object.value.Find("Type")->IsName("XRef"))
        return broken();
    trailer = object.value;
    const std::optional<std::string> data = DecodePdfStream(object.value, *object.stream);
    const PdfValue* w = object.value.Find("W");
    if (!data || !w || !w->Is(PdfValue::Kind::kArray) || w->items.size() != 3) return broken();
    long long widths[3];
    for (int k = 0; k < 3; ++k) {
        widths[k] = IntegerOf(&w->items[static_cast<size_t>(k)]);
        if (widths[k] < 0 || widths[k] > 8) return broken();
    }
    const size_t rowSize = static_cast<size_t>(widths[0] + widths[1] + widths[2]);
    std::vector<long long> index;
    if (const PdfValue* ix = object.value.Find("Index"); ix && ix->Is(PdfValue::Kind::kArray)) {
        for (const PdfValue& v : ix->items)
            index.push_back(IntegerOf(&v));
    } else {
        index = {0, IntegerOf(object.value.Find("Size"))};
    }
    if (rowSize == 0 || index.size() % 2 != 0) return broken();
    size_t at = 0;
    for (size_t s = 0; s < index.size(); s += 2) {
        if (index[s] < 0 || index[s + 1] < 0 || index[s] + index[s + 1] > 10'000'000)
            return broken();
        for (long long k = 0; k < index[s + 1]; ++k) {
            if (at + rowSize > data->size()) return broken();
            unsigned long long field[3] = {1, 0, 0};
            for (int f = 0; f < 3; ++f) {
                if (widths[f] == 0) continue;
                field[f] = 0;
                for (long long b = 0; b < widths[f]; ++b)
                    field[f] = field[f] << 8 | static_cast<uint8_t>((*data)[at++]);
            }
            const int number = static_cast<int>(index[s] + k);
            if (entries_.count(number)) continue;
            Entry e;
            e.kind = static_cast<int>(field[0]);
            if (e.kind == 1) {
                e.offset = static_cast<size_t>(field[1]);
                e.generation = static_cast<int>(field[2]);
            } else if (e.kind == 2) {
                e.streamNumber = static_cast<int>(field[1]);
                e.index = static_cast<int>(field[2]);
            } else if (e.kind != 0) {
                continue;  // a kind this reader does not know counts as absent
            }
            entries_[number] = e;
        }
    }
    return true;
}

bool PdfFile::ReadObjectAt(size_t offset, int number, Object& out, std::string* error) {
    const auto broken = [&] {
        if (error) *error = Format(Tr("PDF 文件的对象 %zu 不能读取"), static_cast<size_t>(number));
        return false;
    };
    if (offset >= bytes_.size()) return broken();
    Parser p(bytes_, offset);
    long long n = 0, g = 0;
    if (!Parser::Integer(p.Word(), n) || !Parser::Integer(p.Word(), g) || p.Word() != "obj" ||
        (number >= 0 && n != number))
        return broken();
    if (!p.Value(out.value)) return broken();
    out.stream.reset();
    if (out.value.Is(PdfValue::Kind::kDict) && p.Keyword("stream")) {
        size_t start = p.Pos();
        if (start < bytes_.size() && bytes_[start] == '\r') ++start;
        if (start < bytes_.size() && bytes_[start] == '\n') ++start;
        const PdfValue* length = Resolve(out.value.Find("Length"));
        long long size = IntegerOf(length);
        if (size < 0 || start + static_cast<size_t>(size) > bytes_.size()) {
            // A wrong or missing length: the stream ends where "endstream" stands.
            const size_t end = bytes_.find("endstream", start);
            if (end == std::string::npos) return broken();
            size = static_cast<long long>(end - start);
        }
        out.stream = bytes_.substr(start, static_cast<size_t>(size));
    }
    return true;
}

bool PdfFile::ReadFromObjectStream(const Entry& e, int number, Object& out, std::string* error) {
    const auto broken = [&] {
        if (error) *error = Format(Tr("PDF 文件的对象 %zu 不能读取"), static_cast<size_t>(number));
        return false;
    };
    auto decoded = decodedStreams_.find(e.streamNumber);
    const Object* container = nullptr;
    if (decoded == decodedStreams_.end()) {
        const auto it = entries_.find(e.streamNumber);
        if (it == entries_.end() || it->second.kind != 1) return broken();
        container = Get(e.streamNumber, error);
        if (!container || !container->stream) return broken();
        std::optional<std::string> data = DecodePdfStream(container->value, *container->stream);
        if (!data) return broken();
        decoded = decodedStreams_.emplace(e.streamNumber, std::move(*data)).first;
    } else {
        container = Get(e.streamNumber, error);
        if (!container) return broken();
    }
    const long long count = IntegerOf(container->value.Find("N"));
    const long long first = IntegerOf(container->value.Find("First"));
    const std::string& data = decoded->second;
    if (count <= e.index || first < 0 || static_cast<size_t>(first) > data.size()) return broken();
    Parser header(data, 0);
    long long n = 0, at = 0;
    for (int k = 0; k <= e.index; ++k) {
        if (!Parser::Integer(header.Word(), n) || !Parser::Integer(header.Word(), at))
            return broken();
    }
    if (n != number || at < 0) return broken();
    Parser p(data, static_cast<size_t>(first + at));
    if (!p.Value(out.value)) return broken();
    return true;
}

const PdfFile::Object* PdfFile::Get(int number, std::string* error) {
    if (const auto cached = cache_.find(number); cached != cache_.end())
        return cached->second.get();
    const auto it = entries_.find(number);
    if (it == entries_.end() || it->second.kind == 0) {
        if (error) *error = Format(Tr("PDF 文件的对象 %zu 不能读取"), static_cast<size_t>(number));
        return nullptr;
    }
    auto object = std::make_unique<Object>();
    // A placeholder first, so that a stream whose length refers back to itself ends here.
    cache_[number] = nullptr;
    const bool ok = it->second.kind == 1 ? ReadObjectAt(it->second.offset, number, *object, error)
                                         : ReadFromObjectStream(it->second, number, *object, error);
    if (!ok) {
        cache_.erase(number);
        return nullptr;
    }
    return (cache_[number] = std::move(object)).get();
}

const PdfValue* PdfFile::Resolve(const PdfValue* value) {
    for (int k = 0; value && value->Is(PdfValue::Kind::kRef) && k < 8; ++k) {
        const Object* object = Get(value->objectNumber);
        value = object ? &object->value : nullptr;
    }
    return value && !value->Is(PdfValue::Kind::kRef) ? value : nullptr;
}

int PdfFile::Generation(int number) const {
    const auto it = entries_.find(number);
    return it == entries_.end() ? 0 : it->second.generation;
}

}  // namespace qx
