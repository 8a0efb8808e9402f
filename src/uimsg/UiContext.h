#pragma once

// Where a UI message came from. The handler compares contexts by identity (the address of these
// objects), never by their text, so only these objects carry a meaning; any other pointer, such
// as the context a main-thread request supplies, is none of them.
namespace qel {

struct UiContext {
  const char* name;
};

inline constexpr UiContext kUiContextNone{"0"};
inline constexpr UiContext kUiContextInstaller{"1"};
inline constexpr UiContext kUiContextLauncher{"2"};

}  // namespace qel
