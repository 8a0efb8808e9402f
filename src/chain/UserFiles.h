#pragma once
#include <cstdint>

#include "uimsg/SendSetupMessage.h"

// Files that the product leaves in its users' application-data folders ("//QEL/UserFiles/
// UserFile", `file` relative to that folder, wildcards allowed in the last component). They are
// looked for in every user profile when the run starts, recorded in the document as
// "//QEL/UserFiles/UsrFile" (a file's path, or a folder's path followed by "\1"), and deleted
// after the product has been removed when the user asked for it.
namespace qel {

// The profile layout comes from "AppDataFolder" and "VersionNT": below 600 the application-data
// folder is one level below the profile ("C:\Users\<name>\Application Data"), from 600 on two
// ("C:\Users\<name>\AppData\Roaming"); the profiles root is the folder above the profile. Without
// "AppDataFolder" the profiles are those under "C:\Users" with the folder of that layout; without
// a "VersionNT" the machine's own version (601) counts. Nothing is recorded when the document
// has no "//QEL/UserFiles". Every file-system failure is skipped.
void CollectUserFiles();

// After a removal (the managed item's product is not installed, REMOVE is "ALL" and
// REMOVEUSERFILES is "1"): deletes every recorded file and removes the folders that become empty,
// up to but not including each profile's application-data folder. A record that lies outside
// every profile's application-data folder is left alone. With a poster, the Cancel button is
// disabled around the removal. Always 0.
std::uint32_t RemoveUserFiles(SetupMessagePoster poster);

}  // namespace qel
