#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/linux/installer/Messenger.h"
#include "platform/linux/installer/Package.h"
#include "platform/linux/installer/PatchPackage.h"

// Lays a patch onto an administrative image: the image's files that the patch names get their new
// content and the image's package records the patch (PatchPackage.h). Every change goes through
// one transaction, so that a Cancel or a failure leaves the image as it was.
namespace qel::platform::installer {

class Transaction;

class ImagePatchRun {
 public:
  ImagePatchRun(const Package& package, std::string packagePath, std::string patchHostPath,
                const PatchPackage& patch, Messenger& messenger);

  ErrorCode Run();

 private:
  struct ImageFile {
    std::string key;
    std::string target;  // desktop path in the image
  };
  std::vector<ImageFile> FilesOfImage() const;
  int ReplaceFiles(Transaction& transaction, const std::vector<ImageFile>& files,
                   const std::map<std::string, std::string>& payloads);
  int RecordPatch(Transaction& transaction, const std::string& scratchHost);

  const Package& package_;
  std::string packagePath_;
  std::string patchHostPath_;
  const PatchPackage& patch_;
  Messenger& messenger_;
};

}  // namespace qel::platform::installer
