#include "patch/DynamicPatchList.h"

#include <string>

#include "config/UtlPath.h"
#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

void ShowTooManyPatches() {
  const std::string text = "There are too many .msp files in the patches folder. Setup will only dynamically determine a maximum of " +
                           std::to_string(kMaxDynamicPatches) +
                           " patches to install.\n\nRemove some .msp files before continuing.";
  LogTimed("More than " + std::to_string(kMaxDynamicPatches) + " patch files; no dynamic patch is used");
  // An unattended run must never stop for a box; the log line above tells its story.
  CUtlXProperty properties;
  if (properties.GetProperty("QEL.NoModalDialogs") == "1" || properties.GetUILevel() < 3) return;
  platform::ShowMessageBox(text, "Setup", platform::kMbOk);
}

std::string RemoveAll(std::string text, const std::string& part) {
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
  return text;
}

}  // namespace

DynamicPatchList& TheDynamicPatchList() {
  static DynamicPatchList list;
  return list;
}

bool FindPatchFiles() {
  DynamicPatchList& list = TheDynamicPatchList();
  CUtlXProperty properties;
  list.xmlMode = ToLower(properties.GetProperty("PatchEnginePatchSequenceInfo")) == "xml";
  list.count = 0;

  CUtlPath folder(properties.GetProperty("QEL.Rt.Folder.Root"));
  folder.Append("patches");
  CUtlPath pattern(folder);
  pattern.Append(list.xmlMode ? "*.msp.xml" : "*.msp");

  std::vector<platform::FileEntry> found;
  platform::Files().Enumerate(pattern, found);
  bool result = false;
  for (const auto& entry : found) {
    if (entry.isFolder) continue;
    if (list.count == kMaxDynamicPatches) {
      ShowTooManyPatches();
      list.count = 0;
      result = false;
      break;
    }
    CUtlPath file(folder);
    file.Append(entry.name);
    list.entries[list.count] = {ToLower(file.Text()),
                                list.xmlMode ? platform::kPatchDataXmlPath : platform::kPatchDataFilePath, -1, 0};
    ++list.count;
    result = true;
  }
  for (std::size_t i = list.count; i < kMaxDynamicPatches; ++i) list.entries[i] = {};
  return result;
}

void AddDynamicPatch(const std::string& target, const std::string& patchData, std::int32_t order) {
  const std::string file = TheDynamicPatchList().xmlMode ? RemoveAll(patchData, ".xml") : patchData;
  CUtlX chain;
  auto& xml = chain.Xml();
  if (xml.SelectNodes("//QEL/Patches") == 0) {
    if (xml.SelectNodes("//QEL") == 0 || !xml.AddNodeAsChild("Patches")) return;
    if (xml.SelectNodes("//QEL/Patches") == 0) return;
  }
  xml.AddNodeAsChild("Msp");
  xml.SelectNodes("//QEL/Patches/Msp");
  while (xml.CounterNext() == 1) {
  }
  xml.SetAttribute("order", std::to_string(order));
  xml.SetAttribute("name", target);
  xml.SetAttribute("scheduled", "1");
  xml.SetAttribute("result", "X");
  xml.SetAttribute("resulttext", "Not Executed");
  xml.SetAttribute("progresstext", CUtlXProperty().GetProperty("Str.ProgressText.Default"));
  xml.SetAttribute("file", file);
}

}  // namespace qel
