// Reading the object structure of a PDF file far enough to add to it by an incremental update:
// the cross-reference sections of every revision (classic tables and cross-reference streams),
// the trailer, and any object by number (also one kept in a compressed object stream). Values
// keep the bytes they were read from, so that a dictionary written back reads as before.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qx {

struct PdfEntry;

struct PdfValue {
    enum class Kind { kNull, kBool, kNumber, kName, kString, kArray, kDict, kRef };
    Kind kind = Kind::kNull;
    // Scalars: the token as it stands in the file ("/Type", "(text)", "<48>", "12.5", "true").
    std::string raw;
    // kName: the name without its slash, #xx escapes decoded; kString: the string's bytes.
    std::string text;
    double number = 0;
    int objectNumber = 0, generation = 0;  // kRef
    std::vector<PdfValue> items;           // kArray
    std::vector<PdfEntry> entries;         // kDict, in file order
    // Where the value stands in the buffer it was read from: [begin, end).
    size_t begin = 0, end = 0;

    bool Is(Kind k) const { return kind == k; }
    bool IsName(std::string_view name) const { return kind == Kind::kName && text == name; }
    // A dictionary's entry, or nullptr.
    const PdfValue* Find(std::string_view key) const;
    // Sets or replaces a dictionary's entry.
    void Set(const std::string& key, PdfValue value);

    static PdfValue Name(std::string_view name);
    static PdfValue Integer(long long n);
    static PdfValue Ref(int number, int generation = 0);
    // A literal string written as hexadecimal digits (any bytes).
    static PdfValue HexString(std::string_view bytes);
    static PdfValue Array(std::vector<PdfValue> items);
    static PdfValue Dict();
};

// A key of a dictionary and its value.
struct PdfEntry {
    PdfEntry(std::string k, PdfValue v) : first(std::move(k)), second(std::move(v)) {}
    std::string first;
    PdfValue second;
};

// The PDF syntax of a value, as it is to be written into a file.
std::string SerializePdfValue(const PdfValue& value);

// A PDF file read into memory. Open() fails with a reason (in the program's language) when the
// file is not a PDF whose structure this reader follows.
class PdfFile {
  public:
    struct Object {
        PdfValue value;
        // The stream's raw bytes (still encoded) when the object is a stream.
        std::optional<std::string> stream;
    };

    bool Open(std::string bytes, std::string* error);

    const std::string& Bytes() const { return bytes_; }
    // The trailer of the last revision (its cross-reference stream's dictionary for such).
    const PdfValue& Trailer() const { return trailer_; }
    // Offset of the last revision's cross-reference section (what startxref names).
    size_t LastXrefOffset() const { return lastXref_; }
    // One more than the highest object number in use.
    int Size() const { return size_; }
    // The object of a number as the last revision has it; nullptr when missing or unreadable
    // (*error says why when given).
    const Object* Get(int number, std::string* error = nullptr);
    // A value with references followed (up to a few levels); nullptr when a reference leads
    // nowhere.
    const PdfValue* Resolve(const PdfValue* value);
    // The generation of a number in the last revision (0 when unknown).
    int Generation(int number) const;

  private:
    struct Entry {
        int kind = 0;  // 0 free, 1 at an offset, 2 inside an object stream
        size_t offset = 0;
        int streamNumber = 0, index = 0, generation = 0;
    };
    bool ReadXrefChain(size_t offset, std::string* error);
    bool ReadXrefTable(size_t offset, PdfValue& trailer, std::string* error);
    bool ReadXrefStream(size_t offset, PdfValue& trailer, std::string* error);
    bool ReadObjectAt(size_t offset, int number, Object& out, std::string* error);
    bool ReadFromObjectStream(const Entry& e, int number, Object& out, std::string* error);

    std::string bytes_;
    PdfValue trailer_;
    size_t lastXref_ = 0;
    int size_ = 0;
    std::map<int, Entry> entries_;
    std::map<int, std::unique_ptr<Object>> cache_;
    std::map<int, std::string> decodedStreams_;
};

// A stream's data decoded: no filter or FlateDecode, with PNG predictors; nothing for other
// filters or damaged data.
std::optional<std::string> DecodePdfStream(const PdfValue& dict, const std::string& raw);

}  // namespace qx
