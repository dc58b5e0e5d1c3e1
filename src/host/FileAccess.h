#pragma once
// Reading and writing whole files for the editor. Writing is atomic: the bytes go to a
// temporary file in the target's folder, which is flushed to disk and then renamed over the
// target, so the target holds either its old bytes or the new ones, never a mixture.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::host {

// The file's bytes; nullopt when it cannot be read (missing, a folder, no permission).
std::optional<std::string> readFileBytes(const std::filesystem::path& path);

// Writes `bytes` to `target` atomically. An existing target keeps its permission bits; a
// symbolic link is followed and its destination replaced. On failure the target is left as
// it was, no temporary file remains and `error` (when given) says what failed.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

} // namespace tlx::host
