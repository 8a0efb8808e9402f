#pragma once
#include "config/UtlX.h"
#include "config/UtlXProperty.h"

namespace qel {

// A cursor on the administrative-image list (document slot 1, "//AdminImage/InstallFile") with
// the property store beside it. The list's own operations (recording a file, deleting the
// image on failure) belong to the rollback work and are not here yet.
class CUtlXSetupMsiRollbackFile {
 public:
  CUtlXSetupMsiRollbackFile() : list_(XMLFILE_ADMINFILES) {}
  virtual ~CUtlXSetupMsiRollbackFile() = default;
  CUtlXSetupMsiRollbackFile(const CUtlXSetupMsiRollbackFile&) = default;
  CUtlXSetupMsiRollbackFile& operator=(const CUtlXSetupMsiRollbackFile&) = default;

  CUtlX& List() { return list_; }
  const CUtlX& List() const { return list_; }
  CUtlXProperty& Properties() { return properties_; }

 private:
  CUtlX list_;
  CUtlXProperty properties_;
};

}  // namespace qel
