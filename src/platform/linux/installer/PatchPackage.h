#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/ErrorCodes.h"

// A patch as this machine's installer reads it.
//
// A patch package (.msp) is an installer database:
// - summary information: Template lists the target product codes separated by ";", the revision
//   number (the package-code field) is the patch code, Subject is a display name;
// - optional table `MsiPatchSequence` (PatchFamily, ProductCode, Sequence): the patch's place in
//   its family; an empty ProductCode row holds for every target. Without a row the patch is a
//   family of its own;
// - optional table `PatchFile` (File): keys of the target's File table; for each key a stream of
//   the same name holds the file's new content.
//
// An XML description (.msp.xml) names the same facts without payload:
//   <MsiPatch PatchGUID="{...}">
//     <TargetProduct><TargetProductCode>{...}</TargetProductCode></TargetProduct>
//     <SequenceData><PatchFamily>F</PatchFamily><ProductCode>{...}</ProductCode>
//       <Sequence>1.0.2</Sequence></SequenceData>
//   </MsiPatch>
//
// A patched administrative image remembers its patches in its package: the table
// `AppliedPatch` (PatchCode CHAR(38) primary key, Title CHAR(0)) holds one row per patch laid
// onto the image's files. Packages that were never patched have no such table.
namespace qel::platform::installer {

struct PatchSequenceEntry {
  std::string family;
  std::string productCode;  // empty: every target
  std::string sequence;
};

struct PatchPackage {
  std::string patchCode;
  std::string title;
  std::vector<std::string> targets;
  std::vector<PatchSequenceEntry> sequences;
  std::vector<std::string> fileKeys;

  bool Targets(const std::string& productCode) const;
  // The family and sequence for one product; the patch code and "0" when none is authored.
  PatchSequenceEntry SequenceFor(const std::string& productCode) const;
};

// kInstallPackageInvalid when the file is not a database or names no patch code or target.
ErrorCode ReadPatchPackage(const std::string& hostPath, PatchPackage& out);
ErrorCode ReadPatchDescription(const std::string& hostPath, PatchPackage& out);

// Adds the patch's row to `AppliedPatch` of the package at a host path (creating the table),
// once per patch code. The package is changed in place: callers give it a copy to change.
ErrorCode RecordPatchInImagePackage(const std::string& packageHostPath, const PatchPackage& patch);
// The rows of `AppliedPatch`, code and title; none for a package without the table.
std::vector<std::pair<std::string, std::string>> ImagePackagePatches(const std::string& packageHostPath);

// Dotted decimal sequences compared part by part ("1.10" after "1.9"); -1, 0 or 1.
int CompareSequences(const std::string& a, const std::string& b);

}  // namespace qel::platform::installer
