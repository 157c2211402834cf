#include "cli_language.h"

namespace qx::cli {
namespace {

constexpr TextPair kCliEnglish[] = {
#include "cli_en.inc"
};

}  // namespace

void AddCliEnglishTexts() {
    static const bool added = (AddEnglishTexts(kCliEnglish), true);
    (void)added;
}

void SetCliLanguage(std::optional<LanguageChoice> commandLine) {
    AddCliEnglishTexts();
    SetLanguage(ResolveLanguage(commandLine, ReadLanguageSetting()));
}

}  // namespace qx::cli
