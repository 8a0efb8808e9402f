#include "patch/PatchTarget.h"

#include <string>

#include "config/UtlPath.h"
#include "platform/Platform.h"

namespace qel {

bool AdminInstallRequested(CUtlXProperty& properties) { return properties.IsAdminAction(); }

std::uint32_t CheckPatchTarget() {
  CUtlXProperty properties;
  std::string markName = properties.GetProperty("PatchSearchFile");
  if (markName.empty()) markName = "Setup.exe";
  const std::string folder = properties.GetProperty("TARGETDIR");
  if (folder.empty()) return platform::kErrorPathNotFound;

  CUtlPath mark(folder);
  mark.Append(markName);
  platform::FileAttributes attributes;
  const platform::ErrorCode error = platform::Files().GetAttributes(mark, attributes);
  if (error == platform::kErrorFileNotFound) return platform::kErrorPathNotFound;
  if (error != platform::kSuccess) return error;
  return attributes.exists && !attributes.isFolder ? 0 : platform::kErrorPathNotFound;
}

}  // namespace qel
