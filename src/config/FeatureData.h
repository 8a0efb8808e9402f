#pragma once
#include <cstdint>
#include <string>

namespace qel {

// One feature of the feature tree ("//QEL/FeatureTree//Feature"), exchanged by value with the
// document interface and the script hook library. Field order is the record's contract.
//
// Attributes of the `Feature` element behind each field (read by GetFeatureData, written by
// SetFeatureData; flags are true only when the attribute is exactly "1" and are written as "1"
// or "0"):
//   title           `title`        (at initialisation: the name of a property holding the text)
//   description     `description`  (likewise)
//   destination     `dest`
//   property        `property`     (also the key of the by-name lookups, compared exactly)
//   checked         `checked`
//   checkedAtStart  `checkedatstart`
//   expanded        `expanded`
//   redTick         `redtick`
//   plainBox        `plainbox`
//   index           `index`        (decimal; -1 when absent or not a number; never written, it
//                                   identifies the element)
struct CXML_FEATURE_DATA {
  std::string title;
  std::string description;
  std::string destination;
  std::string property;
  bool checked = false;
  bool checkedAtStart = false;
  bool expanded = false;
  bool redTick = false;
  bool plainBox = false;
  std::int32_t index = -1;
  // Two words the record carries for the document interface's own use; this implementation
  // needs none and leaves them zero. The launcher never reads them.
  std::uint64_t reserved1 = 0;
  std::uint64_t reserved2 = 0;
};

}  // namespace qel
