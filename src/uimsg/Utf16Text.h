#pragma once
#include <string>
#include <string_view>

namespace qel {

// UTF-8 to UTF-16 little-endian bytes, without a byte-order mark. A byte sequence that is not
// valid UTF-8 becomes U+FFFD, so a log line never carries broken UTF-16.
std::string Utf8ToUtf16Le(std::string_view utf8);

}  // namespace qel
