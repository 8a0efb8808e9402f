#pragma once
#include <cstdint>
#include <string>

#include "chain/UtlXSetupMsiRollback.h"

// Undoing what the chain did: a package run once more with its prepared rollback command line,
// and the administrative image's file list, whose files are deleted when the administrative
// chain fails.
namespace qel {

// The fixed start of a restore line for a product that was installed before the chain.
inline constexpr const char* kRollbackFixedPart =
    "QEL.CONTEXT=1 QEL.UILEVEL=1 SKIP.QEL.DIGITAL.SIGNATURE.CHECK=1 REBOOT=ReallySuppress ACTION=INSTALL "
    "ALLUSERS=1 QEL_ROLLBACK=1";

// The restore line from the installed product's feature states and INSTALLDIR.
std::string ComposeRestoreLine(const std::string& productCode, const CUtlXProperty& properties);

// Runs the rollback of one package (the wrapper positioned on its `Rollback`); always 0.
std::uint32_t RunRollback(CUtlXSetupMsiRollback& rollback);

// Adds a file placed in the administrative image to the list (slot 1).
void RecordAdminFile(const std::string& path);
// The file that an installer's action data names: "File: <name>, Directory: <folder>, ..." gives
// the folder joined with the name; any other text is taken as the path itself.
std::string AdminFileFromActionData(const std::string& text);
// Deletes every file of the list, with progress through the wrapper's poster; always 0.
std::uint32_t AdminRollback(CUtlXSetupMsiRollback& rollback);
// Saves the list as "AdminFiles.xml" in `targetFolder`.
void SaveAdminFiles(const std::string& targetFolder);

}  // namespace qel
