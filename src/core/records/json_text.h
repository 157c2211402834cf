// A small JSON writer for the figures qxlog-cli prints with --json: keys in the order written,
// strings escaped, numbers with a fixed number of decimals, times as ISO 8601 local time with
// the UTC offset.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace qx {

class JsonWriter {
  public:
    void Key(std::string_view key);
    void String(std::string_view s);
    void Int(int64_t v);
    // v with the given decimals; trim drops trailing zeros (limits as typed). "-0" is 0.
    void Fixed(double v, int decimals, bool trim = false);
    void Time(std::time_t t);
    void Open(char c);  // '{' or '['
    void Close(char c);

    const std::string& Text() const { return text_; }

  private:
    void Separate();
    void Quoted(std::string_view s);

    std::string text_;
    bool fresh_ = true;
};

}  // namespace qx
