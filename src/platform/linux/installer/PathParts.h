#pragma once
#include <string>

// Small pieces of the installer's desktop paths and of its own working names.
namespace qel::platform::installer {

// The folder part of a desktop path, with its trailing backslash ("" when there is none).
std::string FolderOf(const std::string& path);
// The last component of a desktop path.
std::string NameOf(const std::string& path);
// A suffix no other run on this machine uses at the same time, for staging and backup folders.
std::string UniqueRunSuffix();

}  // namespace qel::platform::installer
