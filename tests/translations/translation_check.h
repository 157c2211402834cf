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
//   Catalogue entries with a count ({"中文", "one", "other"}) are shown by TrN() and only by
//   it; entries with a context ({.zh, .en, .context}) by Tr("中文", "context"). English may
//   number its printf arguments ("%2$d ... %1$s") to take them in its own order.
//
// The glossary (res/translations/glossary.md) gives each thing one English name:
//   Terms: an English text whose Chinese holds a term (not as part of a longer term) holds the
//   term's English (one of its " / " alternatives), in any letter case.
//   Not used: no English text, of the translations or of the English documents, holds one of
//   these words (whole words; in any letter case, an all-capital word only as written).
//   Kept on purpose: a Chinese text left out of a term, or an English phrase left out of the
//   words not used; a kept entry that nothing needs any more is reported too.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qx::check {

struct Problems {
    std::vector<std::string> lines;  // "file:line: what"
    bool Empty() const { return lines.empty(); }
};

// Checks the sources under each of sourceDirs with the catalogues and translation files given;
// with a glossary, every English text of them and the English documents too.
Problems CheckTranslations(const std::vector<std::filesystem::path>& sourceDirs,
                           const std::vector<std::filesystem::path>& catalogues,
                           const std::vector<std::filesystem::path>& tsFiles,
                           const std::filesystem::path& glossary = {},
                           const std::vector<std::filesystem::path>& documents = {});

// The printf conversions of a format in the order of the arguments they take ("%s", "%.*s",
// "%d"; "%%" is not one; "%2$d" is "%d" taking the second argument).
std::vector<std::string> PrintfConversions(const std::string& format);
// The Qt arguments of a text, sorted ("%1", "%2", "%L1", "%n").
std::vector<std::string> QtArguments(const std::string& text);

}  // namespace qx::check
