#pragma once
#include "config/UtlX.h"
#include "config/UtlXProperty.h"

namespace qel {

// Persist.xml: the properties marked persist="1" that an administrative installation writes
// into its image, and that every run reads back from its own folder at start-up. The document
// stays in slot 3 for the whole run, so a run from an image that makes another image carries the
// earlier choices (and the first creation stamp) forward.
class CUtlXPropertyPersistFile {
 public:
  CUtlXPropertyPersistFile();
  virtual ~CUtlXPropertyPersistFile() = default;

  // Copies every property of "<QEL.Rt.Folder>Persist.xml" into the store; a missing or broken
  // file is ignored.
  void Load();
  // After a successful administrative installation (not in patch-only mode): writes the marked
  // properties into "<TARGETDIR>Persist.xml". Failures are not reported.
  void Save();

 private:
  bool PrepareDocument();

  CUtlX x_;
  CUtlXProperty store_;
};

inline constexpr const char* kPersistCreatedProperty = "QEL.PropertyPresistFile.Created";

}  // namespace qel
