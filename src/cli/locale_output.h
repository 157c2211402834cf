// qxlog-cli writes UTF-8. A terminal or file of a locale with another character set
// (zh_CN.GB18030, zh_CN.GBK) gets its output in that set instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::cli {

// Converts UTF-8 text into a character set, in pieces as they are written: a character cut at
// the end of one piece is finished by the next. Bytes that are not UTF-8 (a file name in
// another encoding) and characters the set lacks pass through unchanged, so nothing is lost.
class OutputConverter {
  public:
    // Nothing is converted when the set is UTF-8, ASCII (the C locale) or unknown to the C
    // library.
    explicit OutputConverter(const char* charset);
    ~OutputConverter();
    OutputConverter(const OutputConverter&) = delete;
    OutputConverter& operator=(const OutputConverter&) = delete;

    bool Converts() const { return cd_ != nullptr; }
    // The converted bytes of `piece`; a character cut at its end waits for the next piece.
    std::string Convert(std::string_view piece);
    // What waits at the end, passed through as it is.
    std::string Finish();

  private:
    void* cd_ = nullptr;
    std::string pending_;
};

// When the locale's character set (nl_langinfo(CODESET)) is not UTF-8, standard output and
// standard error are replaced by streams that convert into it. Call after setlocale().
void ConvertOutputToLocale();

}  // namespace qx::cli
