#include "platform/linux/installer/Transaction.h"

#include "platform/Platform.h"

namespace qel::platform::installer {
namespace {

std::string ParentFolder(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  auto slash = trimmed.find_last_of('\\');
  return slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
}

bool Exists(const std::string& path, bool* isFolder = nullptr) {
  FileAttributes attributes;
  if (Files().GetAttributes(path, attributes) != kSuccess || !attributes.exists) return false;
  if (isFolder != nullptr) *isFolder = attributes.isFolder;
  return true;
}

}  // namespace

Transaction::~Transaction() {
  if (!finished_) Rollback();
}

ErrorCode Transaction::CreateFolders(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty() || knownFolders_.count(path)) return kSuccess;
  bool isFolder = false;
  if (Exists(path, &isFolder)) {
    if (!isFolder) return kErrorAlreadyExists;
    knownFolders_.insert(path);
    return kSuccess;
  }
  std::string parent = ParentFolder(path);
  // A drive root ("C:") has no parent to create.
  if (!parent.empty() && parent.find('\\') != std::string::npos) {
    ErrorCode made = CreateFolders(parent);
    if (made != kSuccess) return made;
  }
  ErrorCode created = Files().CreateFolder(path);
  if (created == kErrorAlreadyExists) return kSuccess;
  if (created != kSuccess) return created;
  knownFolders_.insert(path);
  steps_.push_back({Kind::kCreatedFolder, path, {}});
  createdFolders_.push_back(path);
  return kSuccess;
}

ErrorCode Transaction::MoveAside(const std::string& path, std::string& backup) {
  if (!backupFolderReady_) {
    ErrorCode made = CreateFolders(backupFolder_);
    if (made != kSuccess) return made;
    // The backup folder itself is the installer's, not the run's: it must not be undone.
    std::erase_if(steps_, [&](const Step& step) {
      return step.kind == Kind::kCreatedFolder && step.path.rfind(backupFolder_, 0) == 0;
    });
    std::erase_if(createdFolders_, [&](const std::string& f) { return f.rfind(backupFolder_, 0) == 0; });
    backupFolderReady_ = true;
  }
  backup = backupFolder_ + "\\" + std::to_string(++backups_);
  Files().SetReadOnly(path, false);
  return Files().MoveFile(path, backup);
}

ErrorCode Transaction::PlaceFile(const std::string& from, const std::string& target, bool copy) {
  auto place = [&] { return copy ? Files().CopyFile(from, target, true) : Files().MoveFile(from, target); };
  // Most targets are new: try first, and only look at what is there when the place is taken
  // (each look at a missing name costs the file service a scan of its folder).
  ErrorCode placed = place();
  if (placed == kErrorAlreadyExists || placed == kErrorFileExists || placed == kErrorAccessDenied) {
    bool isFolder = false;
    if (!Exists(target, &isFolder)) {
      knownFolders_.clear();
      return placed;
    }
    if (isFolder) return kErrorAccessDenied;
    std::string backup;
    ErrorCode moved = MoveAside(target, backup);
    if (moved != kSuccess) return moved;
    steps_.push_back({Kind::kMovedAside, target, backup});
    placed = place();
  }
  // The folder may have gone since it was seen; the next attempt looks again.
  if (placed != kSuccess) {
    knownFolders_.clear();
    return placed;
  }
  steps_.push_back({Kind::kCreatedFile, target, {}});
  return kSuccess;
}

void Transaction::RecordCreatedFile(const std::string& target) {
  steps_.push_back({Kind::kCreatedFile, target, {}});
}

ErrorCode Transaction::RemoveFile(const std::string& target) {
  bool isFolder = false;
  if (!Exists(target, &isFolder) || isFolder) return kSuccess;
  std::string backup;
  ErrorCode moved = MoveAside(target, backup);
  if (moved != kSuccess) return moved;
  steps_.push_back({Kind::kMovedAside, target, backup});
  return kSuccess;
}

bool Transaction::RemoveEmptyFolder(const std::string& folder) {
  if (Files().RemoveFolder(folder) != kSuccess) return false;
  knownFolders_.clear();
  steps_.push_back({Kind::kRemovedFolder, folder, {}});
  return true;
}

void Transaction::Commit() {
  for (const auto& step : steps_)
    if (step.kind == Kind::kMovedAside) Files().DeleteFile(step.backup);
  if (backupFolderReady_) Files().RemoveFolder(backupFolder_);
  steps_.clear();
  finished_ = true;
}

void Transaction::Rollback() {
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    switch (it->kind) {
      case Kind::kCreatedFile:
        Files().SetReadOnly(it->path, false);
        Files().DeleteFile(it->path);
        break;
      case Kind::kMovedAside:
        Files().MoveFile(it->backup, it->path);
        break;
      case Kind::kCreatedFolder:
        Files().RemoveFolder(it->path);
        break;
      case Kind::kRemovedFolder:
        Files().CreateFolder(it->path);
        break;
    }
  }
  if (backupFolderReady_) Files().RemoveFolder(backupFolder_);
  steps_.clear();
  knownFolders_.clear();
  finished_ = true;
}

}  // namespace qel::platform::installer
