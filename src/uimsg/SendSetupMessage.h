#pragma once
#include <cstdint>
#include <string>

#include "uimsg/SetupMessageFormat.h"

// Posting a UI message: the text is formatted, the handler runs on the calling thread with the
// launcher context, and its answer comes back unchanged.
//
//   qel::SendSetupMessage(INSTALLMESSAGE_SHOWDIALOG, "%s", "Required\\Help.htm");
//   qel::SendSetupMessage(SETUPMESSAGE_ITEMEND, "%d", result);
//
// The C++ form checks the format against its arguments when it compiles. Hook libraries receive
// the C form, ::SendSetupMessage, below.
namespace qel {

// Runs the handler for an already formatted text.
std::int32_t PostSetupText(std::uint32_t type, const std::string& text);

template <class... Args>
std::int32_t SendSetupMessage(std::uint32_t type, SetupFormat<std::type_identity_t<Args>...> format,
                              const Args&... args) {
  return PostSetupText(type, FormatSetupText<Args...>(format, args...));
}

}  // namespace qel

extern "C" {

// The poster that every script hook receives: a type word, a UTF-8 format whose "%s" takes a
// `const char*` and whose "%d" takes an int, then the arguments; the handler's answer.
typedef std::int32_t (*SetupMessagePoster)(std::uint32_t type, const char* format, ...);

std::int32_t SendSetupMessage(std::uint32_t type, const char* format, ...);

}
