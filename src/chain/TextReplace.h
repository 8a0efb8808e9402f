#pragma once
#include <string>
#include <string_view>

namespace qel {

// Replaces every occurrence of `from` (exact, case-sensitive), scanning left to right; text put
// in is never searched again. An empty `from` changes nothing.
inline std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace qel
