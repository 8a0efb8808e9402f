#pragma once
#include <cstdint>

#include "config/UtlXProperty.h"

// Facts about the run that the patch code asks for in several places.
namespace qel {

// The command line's administrative switch sets ACTION to "ADMIN"; the patch code reads that
// instead of reaching into the application object.
bool AdminInstallRequested(CUtlXProperty& properties);

// The folder test of an administrative image: 0 when "TARGETDIR" holds the mark file
// ("PatchSearchFile", else "Setup.exe"); 3 for an empty "TARGETDIR" or a missing file, else the
// file service's error.
std::uint32_t CheckPatchTarget();

}  // namespace qel
