#pragma once

#include <string>

namespace db::vfp {

// Throws when `name` cannot be a table of a folder or container: empty, a path separator, "..", a control
// character, a character no file system of ours can hold (: * ? < > | "), a trailing blank or dot (Windows drops
// them), or too long for a file name. Checked before any file is touched, so no statement reaches outside the
// folder.
void checkTableName(const std::string& name);
bool isSafeTableName(const std::string& name);

} // namespace db::vfp
