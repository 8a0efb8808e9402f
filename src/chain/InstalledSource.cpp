#include "chain/InstalledSource.h"

#include "config/UtlXProperty.h"
#include "platform/InstallerService.h"

namespace qel {
namespace {

using platform::Installer;
using platform::InstallerHandleHolder;

constexpr int kTransformErrorConditions = 319;
constexpr const char* kNoModalDialogs = "QEL.NoModalDialogs";

// What the installer service shows while the source is resolved, put back when it goes.
class SourceDialogScope {
 public:
  explicit SourceDialogScope(bool allowDialog) : allowDialog_(allowDialog) {
    if (allowDialog_) {
      // A null owner keeps the owner the UI handler set up when the run started: the main window.
      previousLevel_ = Installer().SetInternalUI(platform::kInstallUiLevelFull, nullptr);
      return;
    }
    if (properties_.GetProperty(kNoModalDialogs) == "1") return;
    properties_.SetProperty(kNoModalDialogs, "1");
    setNoModalDialogs_ = true;
  }
  ~SourceDialogScope() {
    if (allowDialog_) {
      Installer().SetInternalUI(previousLevel_, nullptr);
      return;
    }
    if (setNoModalDialogs_) properties_.SetProperty(kNoModalDialogs, "0");
  }
  SourceDialogScope(const SourceDialogScope&) = delete;
  SourceDialogScope& operator=(const SourceDialogScope&) = delete;

 private:
  bool allowDialog_;
  int previousLevel_ = platform::kInstallUiLevelNoChange;
  bool setNoModalDialogs_ = false;
  CUtlXProperty properties_;
};

}  // namespace

std::string ResolveInstalledSource(const std::string& productCode, bool allowDialog) {
  SourceDialogScope dialogs(allowDialog);

  std::string transforms;
  Installer().GetProductInfo(productCode, "Transforms", transforms);

  InstallerHandleHolder product;
  if (Installer().OpenProduct(productCode, *product.Out()) != platform::kSuccess) return {};

  if (!transforms.empty() && allowDialog) {
    InstallerHandleHolder database(Installer().GetActiveDatabase(product.Get()));
    Installer().ApplyTransform(database.Get(), transforms, kTransformErrorConditions);
  }

  Installer().DoAction(product.Get(), "CostInitialize");
  if (Installer().DoAction(product.Get(), "ResolveSource") != platform::kSuccess) return {};
  std::string source;
  Installer().GetProperty(product.Get(), "SourceDir", source);
  return source;
}

}  // namespace qel
