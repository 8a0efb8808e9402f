#pragma once
#include <climits>
#include <string>
#include <string_view>

#include "platform/ErrorCodes.h"

namespace qel {

// A desktop path ("C:\Setup\Lang", "\\server\share\x") with the launcher's join, split and test
// operations. The text is kept exactly as given; backslash is the only separator, and nothing
// here converts slashes, expands variables or resolves relative paths. The folder operations at
// the end run on the machine's file service.
class CUtlPath {
 public:
  enum Kind { kUrl = 0, kExists = 1, kAbsolute = 2, kExecutable = 3 };

  CUtlPath() = default;
  CUtlPath(std::string text) : text_(std::move(text)) {}  // NOLINT: a path is its text
  CUtlPath(const char* text) : text_(text ? text : "") {}  // NOLINT
  virtual ~CUtlPath() = default;
  CUtlPath(const CUtlPath&) = default;
  CUtlPath& operator=(const CUtlPath&) = default;
  CUtlPath(CUtlPath&&) noexcept = default;
  CUtlPath& operator=(CUtlPath&&) noexcept = default;

  const std::string& Text() const { return text_; }
  operator const std::string&() const { return text_; }  // NOLINT
  bool IsEmpty() const { return text_.empty(); }

  // The text without any trailing backslash.
  std::string GetPath() const;
  // The text with exactly one trailing backslash.
  std::string GetFolderPath() const;
  // Joins `part` with exactly one backslash at the seam; `part` is taken literally.
  CUtlPath& Append(std::string_view part);
  // Everything up to and including the last backslash (after trailing ones are dropped).
  std::string GetFolder() const;
  // Drops the last component and the backslash before it.
  CUtlPath& RemoveFileSpec();
  std::string GetFileName() const;
  // "C:\" for "C:\A\B"; always with one trailing backslash.
  std::string GetRoot() const;
  // Trims every component, drops empty ones, ends in one backslash; a relative result gets two
  // leading backslashes.
  CUtlPath& NormalizeFolder();

  bool Is(Kind kind) const;

  // Creates every missing folder of `path` (this path when empty) up to its last backslash, so a
  // final component without a trailing backslash is not created. Answers the error of the last
  // attempt (an existing folder counts as success).
  platform::ErrorCode CreateFolders(std::string_view path = {}) const;
  // Removes the empty folders of the tree at `folder` (this path when empty), deepest first;
  // files are never deleted and a folder that keeps a file keeps its parents.
  void RemoveEmptyFolders(std::string_view folder = {}) const;
  // Deletes the tree at `folder` (this path when empty), read-only files included; what cannot
  // be deleted stays and the walk goes on.
  void DeleteTree(std::string_view folder = {}) const;
  // Names of the immediate sub-folders, comma-separated, in enumeration order.
  std::string ListSubfolders() const;
  // Number of immediate sub-folders; UINT_MAX for an empty or relative path.
  unsigned CountSubfolders() const;

 private:
  std::string text_;
};

inline bool operator==(const CUtlPath& a, const CUtlPath& b) { return a.Text() == b.Text(); }

}  // namespace qel
