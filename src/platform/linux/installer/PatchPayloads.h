#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// The new file contents that patches bring to one run, taken out of their patch packages into a
// folder of the installer's own that lives as long as the object.
namespace qel::platform::installer {

class PatchPayloadFolder {
 public:
  PatchPayloadFolder();
  ~PatchPayloadFolder();
  PatchPayloadFolder(const PatchPayloadFolder&) = delete;
  PatchPayloadFolder& operator=(const PatchPayloadFolder&) = delete;

  // Extracts the payload of every key from the patch package at a host path. Patches added later
  // win, as the later patch of a product is the newer content. kInstallPackageInvalid when a
  // payload is missing or damaged; nothing of that patch is kept then.
  ErrorCode Add(const std::string& patchHostPath, const std::vector<std::string>& fileKeys);

  // File key -> desktop path of its newest payload.
  const std::map<std::string, std::string>& Payloads() const { return payloads_; }

 private:
  std::string hostFolder_;
  int extracted_ = 0;
  std::map<std::string, std::string> payloads_;
};

}  // namespace qel::platform::installer
