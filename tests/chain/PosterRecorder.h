#pragma once
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A UI message poster for the tests: records every message (type and formatted text) and
// answers 0, in place of the run's handler.
namespace qel::test {

struct PostedMessage {
  std::uint32_t type;
  std::string text;
};

inline std::vector<PostedMessage>& PostedMessages() {
  static std::vector<PostedMessage> messages;
  return messages;
}

inline std::int32_t RecordPost(std::uint32_t type, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  PostedMessages().push_back({type, buffer});
  return 0;
}

}  // namespace qel::test
