// Checking and reading the report's files, with std::filesystem on every platform.
#include "report/files/paths.h"

#include <fstream>
#include <system_error>

#include "platform/host.h"
#include "report/words/safe_text.h"

namespace fs = std::filesystem;

namespace {

// A reason the system gives, which may name a folder, made safe to show.
std::optional<std::string> safe_reason(const std::optional<std::string>& reason) {
  return reason ? std::optional<std::string>(safe_text(*reason, 400)) : std::nullopt;
}

// "is a directory" for what cannot be read or written as a plain file; nullopt for a
// regular file.
std::optional<std::string> not_regular(const fs::file_status& status) {
  if (fs::is_regular_file(status)) {
    return std::nullopt;
  }
  return fs::is_directory(status) ? "is a directory" : "is not a regular file";
}

std::string megabytes(std::uintmax_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

std::optional<std::string> read_bounded(const std::string& path, std::uintmax_t limit,
                                        std::string& error) {
  const fs::path file = file_path(path);
  std::error_code failure;
  const fs::file_status status = fs::status(file, failure);
  if (failure) {
    error = failure.message();
    return std::nullopt;
  }
  // Checked before the file is opened: a named pipe would wait for a writer, a device
  // such as /dev/zero would never end.
  if (const std::optional<std::string> why = not_regular(status)) {
    error = *why;
    return std::nullopt;
  }
  const std::string too_large = "is larger than " + megabytes(limit);
  if (fs::file_size(file, failure) > limit) {
    error = too_large;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = std::make_error_code(std::errc::permission_denied).message();
    return std::nullopt;
  }
  // Read in pieces, and no further than the limit, for a file that grows while it is read.
  std::string content;
  char piece[65536];
  while (content.size() <= limit && in.read(piece, sizeof piece).gcount() > 0) {
    content.append(piece, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) {
    error = "read error";
    return std::nullopt;
  }
  if (content.size() > limit) {
    error = too_large;
    return std::nullopt;
  }
  return content;
}

std::optional<std::string> why_not_writable(const std::string& path) {
  const fs::path file = file_path(path);
  std::error_code failure;
  const fs::file_status status = fs::status(file, failure);
  if (fs::exists(status)) {
    if (std::optional<std::string> why = not_regular(status)) {
      return why;
    }
    // A file its owner may not write is one the user meant to keep as it is.
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
      return std::string("is read-only: its owner may not write it");
    }
    return safe_reason(why_not_replaceable(path));
  }
  // A link is written through to its target; one to nothing is refused, not replaced.
  if (fs::is_symlink(fs::symlink_status(file, failure))) {
    return "is a link to " + safe_text(utf8_of(fs::read_symlink(file, failure)), 200) +
           ", which is not there";
  }
  const fs::path folder = fs::absolute(file, failure).parent_path();
  if (!fs::is_directory(fs::status(folder, failure))) {
    return "its folder " + safe_text(utf8_of(folder), 200) + " is not there";
  }
  return safe_reason(why_not_replaceable(path));
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code failure;
  const fs::path first = fs::weakly_canonical(fs::absolute(file_path(a), failure), failure);
  const fs::path second = fs::weakly_canonical(fs::absolute(file_path(b), failure), failure);
  return first == second || fs::equivalent(file_path(a), file_path(b), failure);
}

std::string shown_path(const std::string& path, const std::string& folder) {
  std::error_code failure;
  const fs::path base = fs::absolute(file_path(folder), failure).lexically_normal();
  const fs::path whole = (base / file_path(path)).lexically_normal();  // an absolute path stays
  const fs::path below = whole.lexically_relative(base);
  const bool is_below = !below.empty() && *below.begin() != "..";
  const std::string text = utf8_of(is_below ? below : whole);
  return text.empty() ? "." : text;
}
