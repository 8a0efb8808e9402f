#include "chain/ChainTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "support/PackageBuilder.h"

namespace qel::test {
namespace {

std::filesystem::path FixtureFolder() {
  const char* fixtures = std::getenv("QEL_FIXTURES");
  const std::filesystem::path root = fixtures != nullptr && *fixtures != '\0'
                                         ? std::filesystem::path(fixtures)
                                         : std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
  return root / "chain";
}

// Built packages outlive the machines of single tests: wixl is the slow part.
class PackageCache {
 public:
  std::string HostPackage(const std::string& productCode) {
    auto found = packages_.find(productCode);
    if (found != packages_.end()) return found->second;
    if (!builder_) {
      builder_ = std::make_unique<PackageBuilder>();
      builder_->AddSourceFile("main.txt", "main payload\n");
      builder_->AddSourceFile("tool.dat", "tool\n");
      builder_->AddSourceFile("readme.txt", "read me\n");
      builder_->AddSourceFile("extra.txt", "extra\n");
    }
    const std::string stem = "p" + std::to_string(packages_.size());
    const std::string host = builder_->Build("product", stem + ".msi",
                                             {{"ProductCode", productCode},
                                              {"ProductName", "Chain " + stem},
                                              {"Version", "1.0.0"},
                                              {"EmbedCab", "yes"},
                                              {"Cabinet", stem + ".cab"}});
    if (!host.empty()) packages_[productCode] = host;
    return host;
  }

 private:
  std::unique_ptr<PackageBuilder> builder_;
  std::map<std::string, std::string> packages_;
};

PackageCache& Packages() {
  static PackageCache cache;
  return cache;
}

}  // namespace

std::string ChainPackage(const std::string& productCode) {
  const std::string host = Packages().HostPackage(productCode);
  return host.empty() ? std::string() : platform::Files().FromHostPath(host);
}

void InstallChainProduct(const std::string& productCode) {
  const std::string package = ChainPackage(productCode);
  ASSERT_FALSE(package.empty());
  ASSERT_EQ(platform::Installer().InstallProduct(package, ""), platform::kSuccess) << productCode;
  ASSERT_EQ(platform::Installer().QueryProductState(productCode), platform::kProductStateDefault);
}

void ChainTest::LoadSetup(const std::string& nameOrText) {
  const std::string source =
      nameOrText.starts_with("<") ? nameOrText : platform::Files().FromHostPath((FixtureFolder() / nameOrText).string());
  ASSERT_EQ(xml_.CreateXML(source), platform::kSuccess) << nameOrText;
}

std::string ChainTest::ItemAttribute(const std::string& productCode, const std::string& name) const {
  return Attribute("//QEL/Setups//*[@productcode=\"" + productCode + "\"]", name);
}

}  // namespace qel::test
