#include "config/UtlPath.h"

#include <cctype>
#include <vector>

#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string WithoutTrailingBackslashes(std::string_view s) {
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return std::string(s);
}

bool IsAbsolutePath(std::string_view s) {
  if (s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':') return true;
  return s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
}

std::vector<platform::FileEntry> ListAll(const std::string& folder) {
  std::vector<platform::FileEntry> entries;
  platform::Files().Enumerate(WithoutTrailingBackslashes(folder) + "\\*.*", entries);
  return entries;
}

std::string JoinChild(const std::string& folder, const std::string& name) {
  return WithoutTrailingBackslashes(folder) + "\\" + name;
}

}  // namespace

std::string CUtlPath::GetPath() const { return WithoutTrailingBackslashes(text_); }

std::string CUtlPath::GetFolderPath() const { return GetPath() + "\\"; }

CUtlPath& CUtlPath::Append(std::string_view part) {
  while (!part.empty() && part.front() == '\\') part.remove_prefix(1);
  std::string joined = GetPath();
  joined += '\\';
  joined += part;
  text_ = std::move(joined);
  return *this;
}

std::string CUtlPath::GetFolder() const {
  const std::string path = GetPath();
  const auto last = path.rfind('\\');
  if (last == std::string::npos) return {};
  return path.substr(0, last + 1);
}

CUtlPath& CUtlPath::RemoveFileSpec() {
  const std::string path = GetPath();
  const auto last = path.rfind('\\');
  text_ = last == std::string::npos ? std::string() : path.substr(0, last);
  return *this;
}

std::string CUtlPath::GetFileName() const {
  const std::string path = GetPath();
  const auto last = path.rfind('\\');
  if (last == std::string::npos || last == 0) return text_;
  return path.substr(last + 1);
}

std::string CUtlPath::GetRoot() const {
  std::string root = text_;
  if (text_.size() > 2) {
    const auto backslash = text_.find('\\', 2);
    if (backslash != std::string::npos) root = text_.substr(0, backslash + 1);
  }
  return WithoutTrailingBackslashes(root) + "\\";
}

CUtlPath& CUtlPath::NormalizeFolder() {
  std::string result;
  std::string_view rest = text_;
  while (true) {
    const auto backslash = rest.find('\\');
    const std::string_view part = Trim(rest.substr(0, backslash));
    if (!part.empty()) {
      result += part;
      result += '\\';
    }
    if (backslash == std::string_view::npos) break;
    rest.remove_prefix(backslash + 1);
  }
  if (!IsAbsolutePath(result)) result.insert(0, "\\\\");
  text_ = std::move(result);
  return *this;
}

bool CUtlPath::Is(Kind kind) const {
  if (text_.empty()) return false;
  switch (kind) {
    case kUrl:
      return ToLower(text_).starts_with("http");
    case kAbsolute:
      return IsAbsolutePath(text_);
    case kExecutable:
      return ToLower(text_).ends_with(".exe");
    case kExists: {
      if (!IsAbsolutePath(text_)) return false;
      platform::FileAttributes attributes;
      if (platform::Files().GetAttributes(GetPath(), attributes) == platform::kSuccess && attributes.exists)
        return true;
      // A bare drive ("C:") or a share root is found as a folder that can be listed.
      std::vector<platform::FileEntry> entries;
      const auto error = platform::Files().Enumerate(GetPath() + "\\*.*", entries);
      return error == platform::kSuccess || error == platform::kErrorFileNotFound;
    }
  }
  return false;
}

platform::ErrorCode CUtlPath::CreateFolders(std::string_view path) const {
  const std::string target = path.empty() ? text_ : std::string(path);
  platform::ErrorCode last = platform::kSuccess;
  for (auto pos = target.find('\\', 1); pos != std::string::npos; pos = target.find('\\', pos + 1)) {
    last = platform::Files().CreateFolder(target.substr(0, pos + 1));
    if (last == platform::kErrorAlreadyExists) last = platform::kSuccess;
  }
  return last;
}

void CUtlPath::RemoveEmptyFolders(std::string_view folder) const {
  const std::string root = folder.empty() ? text_ : std::string(folder);
  if (!IsAbsolutePath(root)) return;
  for (const auto& entry : ListAll(root)) {
    if (entry.isFolder) RemoveEmptyFolders(JoinChild(root, entry.name));
  }
  platform::Files().RemoveFolder(WithoutTrailingBackslashes(root));
}

void CUtlPath::DeleteTree(std::string_view folder) const {
  const std::string root = folder.empty() ? text_ : std::string(folder);
  if (root.empty()) return;
  for (const auto& entry : ListAll(root)) {
    const std::string child = JoinChild(root, entry.name);
    if (entry.isFolder) {
      DeleteTree(child);
      continue;
    }
    // A file whose attributes cannot be reset is still tried; if it stays, the walk goes on.
    platform::Files().SetReadOnly(child, false);
    platform::Files().DeleteFile(child);
  }
  platform::Files().RemoveFolder(WithoutTrailingBackslashes(root));
}

std::string CUtlPath::ListSubfolders() const {
  if (!IsAbsolutePath(text_)) return {};
  std::string names;
  for (const auto& entry : ListAll(text_)) {
    if (!entry.isFolder) continue;
    if (!names.empty()) names += ',';
    names += entry.name;
  }
  return names;
}

unsigned CUtlPath::CountSubfolders() const {
  if (!IsAbsolutePath(text_)) return UINT_MAX;
  unsigned count = 0;
  for (const auto& entry : ListAll(text_)) count += entry.isFolder ? 1 : 0;
  return count;
}

}  // namespace qel
