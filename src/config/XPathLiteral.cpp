#include "config/XPathLiteral.h"

namespace qel {

std::string XPathLiteral(std::string_view text) {
  if (text.find('"') == std::string_view::npos) return "\"" + std::string(text) + "\"";
  if (text.find('\'') == std::string_view::npos) return "'" + std::string(text) + "'";

  // XPath 1.0 has no escape inside a literal: split at every double quote and let concat put
  // them back as '"' pieces.
  std::string result = "concat(";
  std::size_t start = 0;
  while (true) {
    const std::size_t quote = text.find('"', start);
    result += "\"" + std::string(text.substr(start, quote - start)) + "\"";
    if (quote == std::string_view::npos) break;
    result += ", '\"', ";
    start = quote + 1;
  }
  result += ")";
  return result;
}

}  // namespace qel
