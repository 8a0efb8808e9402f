#pragma once
#include <cstdint>
#include <string>

#include "chain/UtlXSetupMsi.h"
#include "chain/UtlXSetupMsiRollback.h"
#include "chain/UtlXSetupSupportFile.h"

// Dependent packages (`Dbm` under an `Msi`), which run after their parent, are run again when
// it is rolled back and roll it back when they fail; and support files, which an administrative
// installation copies into its image.
namespace qel {

// Makes every dependent's file absolute (from its installed source where allowed) and composes
// its command line. Always 0.
std::uint32_t PrepareDependents();
// Makes every support file's path absolute against the chain's root folder. Always 0.
std::uint32_t PrepareSupportFiles();

// Runs the scheduled dependents of an item that has just succeeded: 0, the last 1641 or 3010, or
// the first failure, after which the parent is rolled back and the dependents up to the failed
// one are run again against it, newest first.
std::uint32_t RunDependents(CUtlXSetupMsi& item);
// Runs every dependent of a package that has just been rolled back, without messages.
void RerunDependents(CUtlXSetupMsiRollback& rollback);

// Where a support file goes in the image: its path with the root folder replaced by TARGETDIR.
std::string GetSupportFileDestination(const CUtlXSetupSupportFile& item);
// Copies every support file whose destination does not exist yet; 0, or 1602 when the user
// cancelled a copy.
std::uint32_t CopySupportFiles();

// Gives every `Msi` and `Dbm` whose file is `oldPath` (without regard to case) the new path.
void ReplaceItemFile(const std::string& oldPath, const std::string& newPath);

}  // namespace qel
