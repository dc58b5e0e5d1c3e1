#pragma once
// Reading zip archives with libzip.

#include "platform/Platform.h"

namespace tlx {

// nullptr when the file cannot be opened as a zip archive (missing, not a zip, truncated).
std::unique_ptr<ZipArchive> openZipFile(const std::string& path);

} // namespace tlx
