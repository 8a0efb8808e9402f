#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/InstallerService.h"

// The patch files found beside Setup.xml, kept from the initialisation phase to the scheduling
// phase. The installer sequences them 30 at a time, so a source may carry at most 30.
namespace qel {

inline constexpr std::size_t kMaxDynamicPatches = 30;

struct DynamicPatchList {
  // Always kMaxDynamicPatches records; the first `count` name found files.
  std::vector<platform::PatchSequenceRecord> entries = std::vector<platform::PatchSequenceRecord>(kMaxDynamicPatches);
  std::uint32_t count = 0;
  std::uint32_t depth = 0;
  bool xmlMode = false;
};

// The process's list.
DynamicPatchList& TheDynamicPatchList();

// Fills the list from the "patches" folder of "QEL.Rt.Folder.Root" (".msp", or ".msp.xml" when
// "PatchEnginePatchSequenceInfo" is "xml" in any case). True when at least one file was found
// and there were no more than 30; a 31st file shows a box and empties the list.
bool FindPatchFiles();

// Records one applicable pair as an `Msp` under "//QEL/Patches" (created when missing).
void AddDynamicPatch(const std::string& target, const std::string& patchData, std::int32_t order);

}  // namespace qel
