#include <gtest/gtest.h>

#include "config/ResultText.h"
#include "platform/InstallerService.h"
#include "support/PackageBuilder.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

// The handler as the installer service's external user interface, on real packages.
namespace qel {
namespace {

using test::ReadLog;

std::string BuildSamplePackage(test::PackageBuilder& builder) {
  builder.AddSourceFile("main.txt", "main payload\n");
  builder.AddSourceFile("tool.dat", std::string(5000, 'x'));
  builder.AddSourceFile("readme.txt", "read me\n");
  builder.AddSourceFile("extra.txt", "extra payload\n");
  const std::string host = builder.Build("product", "sample.msi",
                                         {{"ProductCode", "{6F1E0C1A-5B57-4C0B-9E59-2B1C1B7F0A01}"},
                                          {"ProductName", "Sample"},
                                          {"Version", "1.0.0"},
                                          {"EmbedCab", "yes"},
                                          {"Cabinet", "sample.cab"}});
  return host.empty() ? std::string() : platform::Files().FromHostPath(host);
}

// Cancels (as the wizard's confirmed Cancel does) when it is first shown a percentage.
class CancellingWizard : public test::RecordingWizard {
 public:
  std::intptr_t Refresh(RefreshCode code, std::intptr_t lparam) override {
    RecordingWizard::Refresh(code, lparam);
    if (code == kRefreshPercent && !cancelled) {
      cancelled = true;
      cancelAnswer = qel::SendSetupMessage(SETUPMESSAGE_CANCEL, "");
    }
    return 1;
  }
  bool cancelled = false;
  int cancelAnswer = 0;
};

std::vector<test::PropertySeed> RunSettings(const char* uiLevel) {
  return {{"QEL.LogFile", "C:\\Logs\\run.log"}, {"QEL.LogOptions", "v"}, {"QEL.UILevel", uiLevel},
          {"Str.ProductDisplayName", "Sample"}, {"Str.ProgressTotalText.Complete", "Installing %d"},
          {"Str.Initializing.Text.Cancelling", "Cancelling"}};
}

TEST(HandlerWithInstaller, PackageProgressReachesTheWizardAndBothWritersShareTheLog) {
  test::UiMachine ui(RunSettings("5"), "<Setups/>");
  test::PackageBuilder builder;
  const std::string msi = BuildSamplePackage(builder);
  ASSERT_FALSE(msi.empty());
  test::RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);

  ASSERT_EQ(qel::SendSetupMessage(INSTALLMESSAGE_INITIALIZE, "%s", "/l*v C:\\Logs\\run.log"), 1);
  qel::SendSetupMessage(SETUPMESSAGE_CHAINSTART, "");
  TheSetupUIHandler().SetPercentModelForTest(1, 0, 0, 0.0f);
  ASSERT_EQ(qel::SendSetupMessage(SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|%s|%s|%s", msi, "0", ""), 1);
  const platform::ErrorCode result = platform::Installer().InstallProduct(msi, "");
  qel::SendSetupMessage(SETUPMESSAGE_ITEMEND, "%d", result);
  qel::SendSetupMessage(SETUPMESSAGE_CHAINEND, "%d", result);
  qel::SendSetupMessage(INSTALLMESSAGE_TERMINATE, "%d", result);
  EXPECT_EQ(result, platform::kSuccess);

  ASSERT_FALSE(wizard.refreshes.empty());
  float last = 0.0f;
  for (const auto& refresh : wizard.refreshes) {
    ASSERT_EQ(refresh.code, kRefreshPercent);
    EXPECT_GE(refresh.percent.percent, last);
    EXPECT_LE(refresh.percent.percent, 100.0f);
    last = refresh.percent.percent;
  }
  EXPECT_FALSE(TheSetupUIHandler().State().actionName.empty());

  const std::string log = ReadLog("C:\\Logs\\run.log");
  const std::size_t ours = log.find("Command Line: \r\n");
  const std::size_t end = log.find("MsiInstallProduct: " + msi + "\r\n=== ");
  ASSERT_NE(ours, std::string::npos) << log;
  ASSERT_NE(end, std::string::npos) << log;
  EXPECT_GT(end - ours, 200u) << "the installer's own lines belong between the item's start and end";
  EXPECT_NE(log.find("=== Result: 0 -- "), std::string::npos);
}

TEST(HandlerWithInstaller, CancelStopsTheRunningPackageAndTheNextItem) {
  test::UiMachine ui(RunSettings("3"), "<Setups/>");
  test::PackageBuilder builder;
  const std::string msi = BuildSamplePackage(builder);
  ASSERT_FALSE(msi.empty());
  CancellingWizard wizard;
  SetApplicationMainWindow(&wizard);

  qel::SendSetupMessage(INSTALLMESSAGE_INITIALIZE, "");
  qel::SendSetupMessage(SETUPMESSAGE_CHAINSTART, "");
  TheSetupUIHandler().SetPercentModelForTest(1, 0, 0, 0.0f);
  qel::SendSetupMessage(SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|%s|0|", msi);
  const platform::ErrorCode result = platform::Installer().InstallProduct(msi, "");
  EXPECT_TRUE(wizard.cancelled);
  EXPECT_EQ(wizard.cancelAnswer, 2);
  EXPECT_EQ(result, platform::kInstallUserExit);
  qel::SendSetupMessage(SETUPMESSAGE_ITEMEND, "%d", result);
  EXPECT_EQ(qel::SendSetupMessage(SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|%s|0|", "next.msi"), 1602);
  EXPECT_EQ(platform::Installer().QueryProductState("{6F1E0C1A-5B57-4C0B-9E59-2B1C1B7F0A01}"),
            platform::kProductStateUnknown);
}

}  // namespace
}  // namespace qel
