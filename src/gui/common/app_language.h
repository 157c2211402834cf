// The windows' language. The program picks it once at start (ResolveLanguage in the core:
// --lang, then "[Workspace] Language", then the locale) and installs the translators before
// any window exists; a change in the View menu takes effect at the next start.
#pragma once

#include "core/model/language.h"

namespace qx {

// Sets the core's language and installs the translators of the windows: for English the
// program's own (qxlog_en.qm, carried as a resource); for Chinese, in which the windows are
// written, Qt's own dialogs (message box buttons, file and print dialogs) from the installed
// qtbase_zh_CN. Returns false when a translation could not be loaded (the texts then stay as
// written: Chinese windows, English Qt dialogs).
bool InstallLanguage(Language language);

}  // namespace qx
