#pragma once
#include <cstdint>

// The source cache: a copy of the installation source kept in the folder "Setup" below
// INSTALLDIR, so that later repairs and changes do not need the original media. The files to
// keep are the `SourceFile` patterns of //QEL/SourceFiles; they are expanded into one `SrcFile`
// element per file at initialisation, copied (when "CACHE_SETUP_SOURCE" is "1") at the start of
// the install chain, and deleted again when the chain leaves the product not installed.
namespace qel {

// Initialisation phase, after the managed package was opened: switches caching off where it is
// not allowed, lists the files with their sizes, publishes the total in
// "CACHE_SETUP_SOURCE_SIZE_IN_BYTES/KB/MB" and on the pseudo-feature of "CACHE_SETUP_SOURCE".
void SourceCacheInitialisation();

// Before the install chain: copies the listed files into the cache and points the chain's
// packages at the copies. 0 (also when there is nothing to do), 1602 when the user cancelled a
// copy, or the system error of the copy that failed.
std::uint32_t CopyAllSourceFiles();

// After the install chain: when the managed product is not installed, deletes the cached files
// and the cache folders they leave empty.
void DeleteAllSourceFiles();

}  // namespace qel
