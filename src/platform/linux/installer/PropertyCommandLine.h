#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A property command line: NAME=value pairs separated by blanks; a value with blanks is quoted
// ("a b"), a doubled quote inside quotes stands for one quote, and NAME="" sets an empty value.
namespace qel::platform::installer {

using PropertyList = std::vector<std::pair<std::string, std::string>>;

// Nothing when the line is not of that form (the installer answers 1639 then).
std::optional<PropertyList> ParsePropertyCommandLine(const std::string& commandLine);

}  // namespace qel::platform::installer
