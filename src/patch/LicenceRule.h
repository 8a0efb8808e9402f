#pragma once

// Whether a patch-only run shows the licence agreement again: only when the patch ships a newer
// agreement than the installed one. The decision is the property "EULA_IS_REQUIRED" ("1" show,
// "0" skip), which the wizard's pages read.
namespace qel {

// Decides once: a preset "EULA_IS_REQUIRED" of "1" or "0" is kept as it is. Compares by the
// registry dates when "EulaDate" is set, else by the agreement files' last-write times. Anything
// missing or unreadable (keys, values, files, a malformed date) shows the agreement. True: show.
bool ApplyLicenceRule();

}  // namespace qel
