// The operating system's reason for a failed file operation, in the language of the texts:
// the C library's own wording in English, our Chinese for the reasons a user meets when
// reading and writing files (a missing file, no permission, a full disk, ...). Other codes
// keep the C library's wording in both languages.
#pragma once

#include <string>

namespace qx {

std::string SystemErrorText(int errnum);

}  // namespace qx
