#include "chain/ManagedPackage.h"

#include "chain/ResultCodes.h"
#include "chain/UtlXSetupMsi.h"
#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "platform/InstallerService.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

constexpr std::uint32_t kWarningYesNo = INSTALLMESSAGE_WARNING | 0x34;
constexpr int kApplyTransformConditions = 319;

struct OpenedPackage {
  std::uint32_t result = kResultSuccess;
  platform::InstallerHandleHolder session;
};

OpenedPackage OpenForRun(const CUtlXSetupMsi& managed, bool admin, bool installed, std::string& shownName) {
  auto& installer = platform::Installer();
  OpenedPackage opened;
  if (admin || !installed) {
    shownName = managed.GetFile();
    GlobalLog().WriteLine("Opening Tamri Installer: " + shownName);
    GlobalLog().WriteLine(kLogSeparator);
    if (admin) {
      opened.result = installer.OpenPackage(shownName, 0, *opened.session.Out());
      if (opened.result == platform::kProductVersion)
        opened.result = installer.OpenProduct(managed.GetProductCode(), *opened.session.Out());
    } else {
      opened.result = installer.OpenPackage(shownName, 0, *opened.session.Out());
    }
    return opened;
  }
  shownName = managed.GetProductCode();
  GlobalLog().WriteLine("Opening Tamri Installer: " + shownName);
  GlobalLog().WriteLine(kLogSeparator);
  std::string transforms;
  installer.GetProductInfo(shownName, "Transforms", transforms);
  opened.result = installer.OpenProduct(shownName, *opened.session.Out());
  if (opened.result == kResultSuccess && !transforms.empty()) {
    platform::InstallerHandleHolder database(installer.GetActiveDatabase(opened.session.Get()));
    installer.ApplyTransform(database.Get(), transforms, kApplyTransformConditions);
  }
  return opened;
}

// The warning offers to go on without the package's properties.
std::uint32_t ReportOpenFailure(const CUtlXProperty& properties, const std::string& shownName, std::uint32_t result) {
  std::string text = properties.GetProperty("Str.CouldNotOpenCore");
  if (const auto placeholder = text.find("%s"); placeholder != std::string::npos) {
    text.replace(placeholder, 2, shownName + " -- " + GetResultText(result));
  }
  const int answer = SendSetupMessage(kWarningYesNo, "%s", text.c_str());
  return answer == kAnswerYes ? kResultSuccess : result;
}

}  // namespace

std::uint32_t OpenManagedPackage() {
  CUtlXSetupMsi managed;
  if (managed.SelectManaged() == 0) return kResultSuccess;
  CUtlXProperty& properties = managed.Properties();
  const bool admin = properties.IsAdminAction();
  const bool installed = managed.IsProductInstalled();
  const bool maintenance = !admin && installed;

  std::string shownName;
  OpenedPackage opened = OpenForRun(managed, admin, installed, shownName);
  if (opened.result != kResultSuccess) return ReportOpenFailure(properties, shownName, opened.result);

  properties.SetProperty("QEL.CONTEXT", "1");
  const std::string installDirBefore = properties.GetProperty("INSTALLDIR");
  properties.PushPublicProperties(opened.session.Get());
  const std::uint32_t result =
      platform::Installer().Sequence(opened.session.Get(), admin ? "AdminUISequence" : "InstallUISequence", 0);
  if (result == kResultSuccess) {
    SendSetupMessage(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
    properties.PullSessionProperties(opened.session.Get());
  }
  opened.session.Reset();

  const std::string defaultFolder = properties.GetProperty("QEL.Default.InstallDir");
  if (installDirBefore.empty() && !maintenance && !defaultFolder.empty()) {
    CUtlPath folder(properties.GetProperty("ProgramFilesFolder"));
    folder.Append(defaultFolder);
    properties.SetProperty("INSTALLDIR", folder.GetFolderPath());
  }
  GlobalLog().WriteLine(kLogSeparator);
  return result;
}

}  // namespace qel
