#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// What one run changed on the machine's drives, so that a failed or cancelled run can be undone
// in reverse order. Files that a run replaces or removes are moved aside into a backup folder
// and only deleted when the run commits.
namespace qel::platform::installer {

class Transaction {
 public:
  // `backupFolder`: a desktop folder on the same volume as the machine's drive C:.
  explicit Transaction(std::string backupFolder) : backupFolder_(std::move(backupFolder)) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  // An unfinished transaction is rolled back.
  ~Transaction();

  // Creates the folder and its missing parents; records each one created. A folder once seen
  // or made is not looked at again until a placement into it fails or the run removes a folder.
  ErrorCode CreateFolders(const std::string& folder);
  // Moves `staged` (or copies `source` when `copy`) to `target`, keeping what was there.
  ErrorCode PlaceFile(const std::string& from, const std::string& target, bool copy);
  ErrorCode RemoveFile(const std::string& target);
  // Removes the folder when it is empty; answers whether it did.
  bool RemoveEmptyFolder(const std::string& folder);
  void RecordCreatedFile(const std::string& target);

  // Which of the folders this run created (parents first).
  const std::vector<std::string>& CreatedFolders() const { return createdFolders_; }

  void Commit();
  void Rollback();

 private:
  enum class Kind { kCreatedFolder, kCreatedFile, kMovedAside, kRemovedFolder };
  struct Step {
    Kind kind;
    std::string path;
    std::string backup;
  };
  ErrorCode MoveAside(const std::string& path, std::string& backup);

  std::string backupFolder_;
  bool backupFolderReady_ = false;
  int backups_ = 0;
  std::vector<Step> steps_;
  std::vector<std::string> createdFolders_;
  std::set<std::string> knownFolders_;
  bool finished_ = false;
};

}  // namespace qel::platform::installer
