#pragma once
#include <cstdint>

namespace qel {

// Opens the managed package once (or the installed managed product in maintenance) to run its
// user-interface sequence and learn the properties it computes (INSTALLDIR and the rest). A
// package that cannot be opened is reported with a Yes/No warning; Yes goes on without its
// properties. 0 when there is no managed item.
std::uint32_t OpenManagedPackage();

}  // namespace qel
