#pragma once
#include <string>

namespace qel {

// The folder from which an installed product was installed, as the installer service resolves
// it ("SourceDir" after "CostInitialize" and "ResolveSource" on the opened product), or "" when
// the source cannot be found, the product is unknown or the user cancelled the source dialog.
//
// `allowDialog` lets the installer service show its own source dialog (internal level full,
// with the owner the UI handler gave it) and applies the product's transforms to the opened
// product. Without it the UI handler is told to show no message boxes for the duration
// (QEL.NoModalDialogs "1"), unless that was already so.
std::string ResolveInstalledSource(const std::string& productCode, bool allowDialog);

}  // namespace qel
