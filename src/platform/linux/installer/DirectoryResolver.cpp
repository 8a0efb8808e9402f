#include "platform/linux/installer/DirectoryResolver.h"

#include <set>
#include <vector>

namespace qel::platform::installer {
namespace {

struct DefaultDirParts {
  std::string target;
  std::string source;
};

DefaultDirParts SplitDefaultDir(const std::string& defaultDir, bool shortNames) {
  auto colon = defaultDir.find(':');
  std::string target = defaultDir.substr(0, colon);
  std::string source = colon == std::string::npos ? target : defaultDir.substr(colon + 1);
  return {PickName(target, shortNames), PickName(source, shortNames)};
}

std::string AppendFolder(const std::string& parent, const std::string& name) {
  if (name.empty() || name == ".") return parent;
  return WithTrailingSlash(parent + name);
}

}  // namespace

std::string PickName(const std::string& shortAndLong, bool shortNames) {
  auto bar = shortAndLong.find('|');
  if (bar == std::string::npos) return shortAndLong;
  return shortNames ? shortAndLong.substr(0, bar) : shortAndLong.substr(bar + 1);
}

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

ErrorCode ResolveDirectories(const Package& package,
                             const std::function<std::string(const std::string&)>& property,
                             bool shortNames, DirectoryLayout& out) {
  std::map<std::string, const DirectoryRow*> rows;
  for (const auto& row : package.directories) rows[row.id] = &row;
  out.directories.clear();

  for (const auto& row : package.directories) {
    // Walk up to a resolved directory or the root, then resolve down the chain; a repeated id
    // on the way up is a loop.
    std::vector<const DirectoryRow*> chain;
    std::set<std::string> seen;
    const DirectoryRow* cursor = &row;
    while (cursor != nullptr && !out.directories.count(cursor->id)) {
      if (!seen.insert(cursor->id).second) return kBadConfiguration;
      chain.push_back(cursor);
      if (cursor->parent.empty() || cursor->parent == cursor->id) break;
      auto parent = rows.find(cursor->parent);
      if (parent == rows.end()) return kBadConfiguration;
      cursor = parent->second;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const DirectoryRow& dir = **it;
      DefaultDirParts parts = SplitDefaultDir(dir.defaultDir, shortNames);
      ResolvedDirectory resolved;
      bool isRoot = dir.parent.empty() || dir.parent == dir.id;
      if (isRoot) {
        std::string root = property(dir.id);
        if (root.empty()) root = property("TARGETDIR");
        if (root.empty()) root = property("ROOTDRIVE");
        if (root.empty()) root = "C:\\";
        resolved.target = WithTrailingSlash(root);
      } else {
        const ResolvedDirectory& parent = out.directories.at(dir.parent);
        resolved.sourceRelative = AppendFolder(parent.sourceRelative, parts.source);
        std::string overridden = property(dir.id);
        resolved.target = overridden.empty() ? AppendFolder(parent.target, parts.target)
                                             : WithTrailingSlash(overridden);
      }
      out.directories[dir.id] = resolved;
    }
  }
  return kSuccess;
}

}  // namespace qel::platform::installer
