#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Platform.h"

namespace qel::test {

// Host path of a file under tests/fixtures/config.
inline std::string ConfigFixtureHostPath(const std::string& relative) {
  const char* fixtures = std::getenv("QEL_FIXTURES");
  const std::filesystem::path root = fixtures != nullptr && *fixtures != '\0'
                                         ? std::filesystem::path(fixtures)
                                         : std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
  return (root / "config" / relative).string();
}

// The same file as the launcher addresses it (a desktop path through the Z: drive).
inline std::string ConfigFixture(const std::string& relative) {
  return platform::Files().FromHostPath(ConfigFixtureHostPath(relative));
}

}  // namespace qel::test
