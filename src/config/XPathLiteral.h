#pragma once
#include <string>
#include <string_view>

namespace qel {

// `text` as an XPath 1.0 string literal, so that data (a property name, a product code) can be
// placed in an expression whatever quotes it holds: "text" or 'text' when one kind of quote is
// absent, else concat("a", '"', "b'c").
std::string XPathLiteral(std::string_view text);

}  // namespace qel
