#pragma once
#include <string>
#include <string_view>

#include "config/UtlX.h"
#include "platform/InstallerService.h"

namespace qel {

// The property store: the `Property` elements (`name`, `value`) under "//QEL/Properties" of the
// document in slot 0. Every store object sees the same properties; a store is switched to
// another slot only for Persist.xml. Names are case-sensitive and may hold any character;
// a missing property and an empty value read the same.
class CUtlXProperty {
 public:
  explicit CUtlXProperty(int slot = XMLFILE_SETUP);
  virtual ~CUtlXProperty() = default;
  CUtlXProperty(const CUtlXProperty&) = default;
  CUtlXProperty& operator=(const CUtlXProperty&) = default;

  void SetFileIndex(int slot) { x_.Xml().SetFileIndex(slot); }

  // The value of the first property of that name in document order; empty when there is none.
  std::string GetProperty(std::string_view name) const;
  // Overwrites the first property of that name or appends one after the last property. False
  // for an empty name and for a document without any property: the store never creates the
  // `Properties` element or the first `Property`.
  bool SetProperty(std::string_view name, std::string_view value);

  // The value is neither empty nor "0".
  bool IsPropertySet(std::string_view name) const;
  // "" and "1" are true; "NAME" is true when the property is not empty; "NAME = value" compares
  // the property's value without regard to case (both sides trimmed); a leading "!" inverts.
  bool EvaluateCondition(std::string_view condition) const;
  // ACTION is exactly "ADMIN". An empty ACTION is set to "INSTALL" first.
  bool IsAdminAction();
  // "QEL.UILevel" when it is a decimal number from 2 to 5; anything else is repaired to "5".
  int GetUILevel();
  void SetUILevel(int level);
  bool IsRunFromSource() const;   // RUN_FROM_SOURCE is "1"
  bool IsPatchModeOnly() const;   // "QEL.PatchMode.Only" is "1"

  // Sets every public property (a name that upper-casing leaves unchanged) in the installer
  // session, in document order, except ADDLOCAL, ADDSOURCE and REMOVE. Failures are ignored.
  void PushPublicProperties(platform::InstallerHandle session) const;
  // Copies every property of the session back (except ADDLOCAL, ADDSOURCE, REMOVE, REINSTALL
  // and DATABASE), then sets INSTALLDIR_ORIGINAL and TARGETDIR_ORIGINAL from INSTALLDIR and
  // TARGETDIR. A failed view ends the walk; a record that cannot be read is skipped.
  void PullSessionProperties(platform::InstallerHandle session);

  // Copies the properties of "Property.xml" in the folder "QEL.Rt.Folder.Lang" into slot 0;
  // later entries win over earlier ones and over what was set before. A missing or broken file
  // copies nothing.
  void LoadLanguageProperties();
  // The same for the document that "CORE_PROPERTIES_XML" names (a desktop path or XML text).
  void LoadCoreProperties();

 private:
  CUtlX x_;
};

}  // namespace qel
