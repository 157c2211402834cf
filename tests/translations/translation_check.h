// The translation check: every Chinese text of the sources is marked for translation (or
// marked to stay Chinese), every marked text has its English, and every English keeps the
// format arguments of its Chinese.
//
//   Sources (.h, .cpp): a string literal holding Chinese stands inside Tr(), TrNoop() or NoTr()
//   (the core's catalogue) or tr(), translate(), QT_TR_NOOP(), QT_TRANSLATE_NOOP() (Qt's).
//   Catalogues (*_en.inc): {"中文", "English"} pairs; a Chinese key once in all of them, every
//   key used by a Tr()/TrNoop() text, the English without Chinese and with the same printf
//   conversions in the same order.
//   Qt translation files (*.ts, freshly updated by lupdate): every message translated and not
//   marked unfinished, with the same %1..%99 / %n arguments.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qx::check {

struct Problems {
    std::vector<std::string> lines;  // "file:line: what"
    bool Empty() const { return lines.empty(); }
};

// Checks the sources under each of sourceDirs with the catalogues and translation files given.
Problems CheckTranslations(const std::vector<std::filesystem::path>& sourceDirs,
                           const std::vector<std::filesystem::path>& catalogues,
                           const std::vector<std::filesystem::path>& tsFiles);

// The printf conversions of a format in order ("%s", "%.*s", "%d"; "%%" is not one).
std::vector<std::string> PrintfConversions(const std::string& format);
// The Qt arguments of a text, sorted ("%1", "%2", "%L1", "%n").
std::vector<std::string> QtArguments(const std::string& text);

}  // namespace qx::check
