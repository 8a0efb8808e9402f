#pragma once
#include <string>

#include "config/UtlXProperty.h"

namespace qel {

// Loads "Setup.xml" from the folder of `programPath` into slot 0 and publishes the program's
// folders ("QEL.Rt.Setup.exe", "QEL.Rt.Folder", "SETUP.EXE.DIR", "QEL.Rt.Folder.Root",
// "QEL.Rt.Setup.xml"). False, with no property set, when Setup.xml cannot be loaded.
bool LoadRuntimeFolders(const std::string& programPath);

enum class LanguageFolderChoice { kNotFound = 0, kChosen = 1, kCancelled = 2 };

// Chooses the wizard's language folder under "<QEL.Rt.Folder>Lang\" from "SETUP_LANG", the
// document's `lang` wish, the system language or the user's pick, and publishes it as
// "QEL.Rt.Folder.Lang" (with a trailing backslash). `uiLanguageId` chooses the picker's texts.
LanguageFolderChoice ChooseLanguageFolder(CUtlXProperty& properties, unsigned uiLanguageId);

}  // namespace qel
