#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qel {

// The text that explains a result code: the string resource `code` of `module` when a module is
// named and has one, else the system's text (which keeps its trailing line break), else the code
// in decimal.
std::string GetResultText(std::uint32_t code, std::string_view module = {});

}  // namespace qel
