// The language qxlog-cli speaks: its own English texts (res/translations/cli_en.inc) beside the
// core's, and the choice made at start from --lang, the setting and the locale.
#pragma once

#include <optional>

#include "core/model/language.h"

namespace qx::cli {

// Adds qxlog-cli's English texts to the catalogues; once, however often it is called.
void AddCliEnglishTexts();

// Adds the texts and sets the language: --lang when given, else "[Workspace] Language" of the
// settings file, else the locale.
void SetCliLanguage(std::optional<LanguageChoice> commandLine);

}  // namespace qx::cli
