// qel-machine: shows what the installer service of a simulated machine has recorded.
//
//   qel-machine products        one line per product: code, state, name, version, install location
//   qel-machine features CODE   one line per feature of the product: name, state
//   qel-machine files CODE      the product's installed files, as desktop paths
//   qel-machine patches CODE    the patches applied to the product, in order: code, title
//   qel-machine image-patches PACKAGE   the patches laid onto an administrative image, whose
//                               package is given as a desktop path: code, title
//
// Fields are separated by tabs. The machine is the one QEL_MACHINE names (else the user's
// default machine). An unknown product or command ends with a message on stderr and exit code 1.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/linux/installer/PatchPackage.h"
#include "platform/linux/installer/ProductDatabase.h"

namespace {

using qel::platform::installer::ProductDatabase;
using qel::platform::installer::ProductRecord;

const char* FeatureStateName(int state) {
  switch (state) {
    case qel::platform::kFeatureStateLocal: return "local";
    case qel::platform::kFeatureStateSource: return "source";
    case qel::platform::kFeatureStateAdvertised: return "advertised";
    case qel::platform::kFeatureStateAbsent: return "absent";
    default: return "unknown";
  }
}

int Usage() {
  std::cerr << "usage: qel-machine products | features PRODUCTCODE | files PRODUCTCODE | patches PRODUCTCODE | image-patches PACKAGE\n";
  return 2;
}

const ProductRecord* FindOrComplain(const ProductDatabase& products, const std::string& code) {
  const ProductRecord* record = products.Find(code);
  if (record == nullptr) std::cerr << "qel-machine: unknown product " << code << "\n";
  return record;
}

// An image is no product: it is read from its package, not from the product database.
int ImagePatches(const std::string& package) {
  std::string host;
  if (qel::platform::Files().ToHostPath(package, host) != qel::platform::kSuccess || !std::filesystem::is_regular_file(host)) {
    std::cerr << "qel-machine: no package " << package << "\n";
    return 1;
  }
  for (const auto& [code, title] : qel::platform::installer::ImagePackagePatches(host)) std::cout << code << '\t' << title << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "image-patches" && argc == 3) return ImagePatches(argv[2]);
  ProductDatabase products;
  if (ProductDatabase::Load(products) != qel::platform::kSuccess) {
    std::cerr << "qel-machine: the product database of this machine cannot be read\n";
    return 1;
  }
  if (command == "products" && argc == 2) {
    for (const auto& product : products.Products()) {
      int state = qel::platform::Installer().QueryProductState(product.productCode);
      std::cout << product.productCode << '\t' << (state == 5 ? "installed" : "other-user") << '\t'
                << product.name << '\t' << product.version << '\t' << product.installLocation << '\n';
    }
    return 0;
  }
  if (command == "features" && argc == 3) {
    const ProductRecord* record = FindOrComplain(products, argv[2]);
    if (record == nullptr) return 1;
    for (const auto& feature : record->features)
      std::cout << feature.name << '\t' << FeatureStateName(feature.state) << '\n';
    return 0;
  }
  if (command == "files" && argc == 3) {
    const ProductRecord* record = FindOrComplain(products, argv[2]);
    if (record == nullptr) return 1;
    for (const auto& file : record->files) std::cout << file.path << '\n';
    return 0;
  }
  if (command == "patches" && argc == 3) {
    const ProductRecord* record = FindOrComplain(products, argv[2]);
    if (record == nullptr) return 1;
    for (const auto& patch : record->patches) std::cout << patch.code << '\t' << patch.title << '\n';
    return 0;
  }
  return Usage();
}
