#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/PackageBuilder.h"

// Patch packages for the tests, written with msibuild in the layout the machine's installer
// reads: summary Template = target product codes, revision number = patch code, a `PatchFile`
// table and one stream per replaced file (named by the target's File key), and optionally an
// `MsiPatchSequence` row.
namespace qel::test {

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct PatchSpec {
  std::string patchCode;
  std::string targets;  // "{A};{B}"
  std::vector<std::pair<std::string, std::string>> files;  // File key -> new content
  std::string family;
  std::string sequence;
  std::string title = "Patch";  // the summary's Subject, the patch's display name
};

// Writes the patch package at `hostPath`; fails the test when msibuild refuses.
inline void WritePatch(const std::string& hostPath, const PatchSpec& spec) {
  std::remove(hostPath.c_str());
  const std::string msp = Quote(hostPath);
  ASSERT_TRUE(RunTool("msibuild " + msp + " -s " + Quote(spec.title) + " Qel " + Quote(spec.targets) + " " + Quote(spec.patchCode)));
  if (!spec.files.empty()) {
    ASSERT_TRUE(RunTool("msibuild " + msp + " -q " + Quote("CREATE TABLE `PatchFile` (`File` CHAR(72) NOT NULL PRIMARY KEY `File`)")));
  }
  for (const auto& [key, content] : spec.files) {
    const std::string payload = hostPath + "." + key;
    std::ofstream(payload, std::ios::binary) << content;
    ASSERT_TRUE(RunTool("msibuild " + msp + " -q " + Quote("INSERT INTO `PatchFile` (`File`) VALUES ('" + key + "')")));
    ASSERT_TRUE(RunTool("msibuild " + msp + " -a " + Quote(key) + " " + Quote(payload)));
    std::remove(payload.c_str());
  }
  if (!spec.family.empty()) {
    ASSERT_TRUE(RunTool("msibuild " + msp + " -q " +
                        Quote("CREATE TABLE `MsiPatchSequence` (`PatchFamily` CHAR(72) NOT NULL, `ProductCode` CHAR(38), "
                              "`Sequence` CHAR(72) NOT NULL, `Attributes` INT PRIMARY KEY `PatchFamily`, `ProductCode`)")));
    ASSERT_TRUE(RunTool("msibuild " + msp + " -q " +
                        Quote("INSERT INTO `MsiPatchSequence` (`PatchFamily`, `Sequence`) VALUES ('" + spec.family + "', '" +
                              spec.sequence + "')")));
  }
}

}  // namespace qel::test
