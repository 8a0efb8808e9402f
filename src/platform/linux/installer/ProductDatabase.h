#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// The machine's record of installed products, kept in one text file in the machine root
// ("installer/products.db") and replaced atomically on every change, so that a new process
// always reads a whole state.
namespace qel::platform::installer {

struct InstalledFeature {
  std::string name;
  std::string parent;
  int state = 0;
};

struct InstalledFile {
  std::string key;   // the package's file key
  std::string path;  // desktop path
};

// A patch applied to the product: its code, its display name, and the copy of the patch package
// kept in the installer's cache so that later maintenance can lay its payload down again.
struct AppliedPatch {
  std::string code;
  std::string title;
  std::string localPackage;  // desktop path; empty when no copy was kept
};

struct ProductRecord {
  std::string productCode;
  std::string name;
  std::string version;
  std::string packageCode;
  std::string language;
  std::string context;  // "machine" (ALLUSERS) or "user"
  std::string installLocation;
  std::string installSource;  // folder of the package it was installed from
  std::string packageName;
  std::string localPackage;   // the cached package, desktop path
  std::string transforms;
  std::string installDate;
  std::vector<InstalledFeature> features;
  std::vector<InstalledFile> files;
  std::vector<std::string> folders;  // folders the installer created, parents first
  std::vector<AppliedPatch> patches;  // in the order they were applied
};

class ProductDatabase {
 public:
  // Reads the database of the current machine; a machine without one has no products.
  static ErrorCode Load(ProductDatabase& out);
  ErrorCode Save() const;

  const ProductRecord* Find(const std::string& productCode) const;
  const std::vector<ProductRecord>& Products() const { return products_; }
  void Put(ProductRecord record);
  void Remove(const std::string& productCode);
  // Whether any product's applied patch keeps its copy at this desktop path.
  bool PatchPackageInUse(const std::string& localPackage) const;

  // Text form, for the file and for tests of the format.
  std::string Serialize() const;
  static bool Parse(const std::string& text, ProductDatabase& out);

 private:
  std::vector<ProductRecord> products_;
};

// The host folder of the current machine's root.
std::string MachineRootHostPath();
// Desktop path of the installer's own folder in the machine root.
std::string InstallerDataFolder();

}  // namespace qel::platform::installer
