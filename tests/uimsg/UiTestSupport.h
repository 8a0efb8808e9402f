#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "config/XMLFileManagerInterface.h"
#include "platform/FileService.h"
#include "platform/InstallerService.h"
#include "platform/MessageBox.h"
#include "platform/MessageLoop.h"
#include "platform/Platform.h"
#include "support/TempMachine.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UtlXLogFile.h"
#include "uimsg/WizardWindow.h"

// Helpers of the UI message tests: a fresh machine with a setup document in slot 0, the log
// read back as text, and a wizard window that records what the handler sends it.
namespace qel::test {

// Decodes the log's UTF-16LE bytes; fails the test on a byte-order mark or an odd length.
inline std::string Utf16LeToUtf8(const std::string& bytes) {
  EXPECT_EQ(bytes.size() % 2, 0u);
  if (bytes.size() >= 2) {
    EXPECT_FALSE(bytes[0] == '\xFF' && bytes[1] == '\xFE') << "byte-order mark";
  }
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

inline std::string ReadLog(const std::string& path) {
  std::string bytes;
  if (platform::Files().ReadFile(path, bytes) != platform::kSuccess) return {};
  return Utf16LeToUtf8(bytes);
}

struct PropertySeed {
  std::string name;
  std::string value;
};

// "<QEL><Properties>...</Properties>" + `chain` + "</QEL>".
inline std::string SetupDocument(const std::vector<PropertySeed>& properties, const std::string& chain = {}) {
  std::string xml = "<QEL><Properties><Property name=\"QEL.Seed\" value=\"1\"/>";
  for (const auto& p : properties) {
    xml += "<Property name=\"" + p.name + "\" value=\"" + p.value + "\"/>";
  }
  return xml + "</Properties>" + chain + "</QEL>";
}

// A fresh machine with the setup document in slot 0 and the process's logs starting over.
class UiMachine {
 public:
  UiMachine(std::initializer_list<PropertySeed> properties, const std::string& chain = {})
      : UiMachine(std::vector<PropertySeed>(properties), chain) {}
  explicit UiMachine(const std::vector<PropertySeed>& properties, const std::string& chain = {}) {
    platform::MainLoop();  // the test's thread is the main thread
    CXMLFileManagerInterface setup;
    EXPECT_EQ(setup.CreateXML(SetupDocument(properties, chain)), platform::kSuccess);
    GlobalLog().Restart();
  }
  ~UiMachine() {
    platform::Installer().SetExternalUI({});
    platform::Installer().EnableLog(0, "", 0);
    SetApplicationMainWindow(nullptr);
    platform::SetMessageBoxPresenter({});
  }

  TempMachine machine;
};

class RecordingProgress : public IProgressControl {
 public:
  void SetRange(std::int32_t low, std::int32_t high) override { calls.push_back("range " + std::to_string(low) + " " + std::to_string(high)); }
  void SetPosition(std::int32_t position) override { calls.push_back("pos " + std::to_string(position)); }
  void SetStep(std::int32_t step) override { calls.push_back("step " + std::to_string(step)); }
  void MoveBy(std::int32_t delta) override { calls.push_back("move " + std::to_string(delta)); }
  void StepIt() override { calls.push_back("stepit"); }
  std::vector<std::string> calls;
};

struct RefreshCall {
  RefreshCode code;
  std::intptr_t lparam;
  PercentRecord percent;  // a copy, for code 2
};

// Stands in for the wizard window, which does not exist yet; records what it is sent.
class RecordingWizard : public IWizardWindow {
 public:
  explicit RecordingWizard(bool withProgressBar = false) : withProgressBar_(withProgressBar) {}
  std::intptr_t Refresh(RefreshCode code, std::intptr_t lparam) override {
    RefreshCall call{code, lparam, {}};
    if (code == kRefreshPercent) call.percent = *reinterpret_cast<const PercentRecord*>(lparam);
    refreshes.push_back(call);
    return 1;
  }
  IProgressControl* ProgressControl() override { return withProgressBar_ ? &progress : nullptr; }
  void LoadPage(const std::string& path) override { pages.push_back(path); }
  std::uintptr_t Handle() override { return 0x1234; }

  std::vector<RefreshCall> refreshes;
  std::vector<std::string> pages;
  RecordingProgress progress;

 private:
  bool withProgressBar_;
};

}  // namespace qel::test
