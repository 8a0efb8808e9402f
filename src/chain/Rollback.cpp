#include "chain/Rollback.h"

#include "chain/PackageExecution.h"
#include "config/UtlPath.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

constexpr const char* kAdminList = "//AdminImage/InstallFile";

bool PackageExists(const std::string& path) { return CUtlPath(path).Is(CUtlPath::kExists); }

}  // namespace

std::string ComposeRestoreLine(const std::string& productCode, const CUtlXProperty& properties) {
  auto& installer = platform::Installer();
  std::string line = kRollbackFixedPart;
  bool runsFromSource = false;
  std::string feature;
  std::string parent;
  for (unsigned index = 0; installer.EnumFeatures(productCode, index, feature, parent) == platform::kSuccess; ++index) {
    std::string fragment;
    switch (installer.QueryFeatureState(productCode, feature)) {
      case platform::kFeatureStateAbsent: fragment = feature + "=0"; break;
      case platform::kFeatureStateLocal: fragment = feature + "=1"; break;
      case platform::kFeatureStateSource:
        fragment = feature + "=1";
        runsFromSource = true;
        break;
      default: break;
    }
    if (!fragment.empty()) line += " " + ToUpper(fragment);
  }
  if (runsFromSource) line += " RUN_FROM_SOURCE=1";
  const std::string installDir = properties.GetProperty("INSTALLDIR");
  if (!installDir.empty()) line += " INSTALLDIR=\"" + installDir + "\"";
  return line;
}

bool CUtlXSetupMsiRollback::ComposeRollbackCmdLine() {
  std::string line = "REMOVE=ALL";
  if (IsProductInstalled() && !Properties().IsAdminAction()) line = ComposeRestoreLine(GetProductCode(), Properties());
  return SetCmdLine(line);
}

std::uint32_t RunRollback(CUtlXSetupMsiRollback& rollback) {
  if (const auto poster = rollback.Poster()) poster(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
  if (rollback.IsProductInstalled() && !PackageExists(rollback.GetFile())) {
    ConfigureProduct(rollback);
  } else {
    InstallProduct(rollback, true);
  }
  return 0;
}

std::string AdminFileFromActionData(const std::string& text) {
  constexpr std::string_view kFile = "File: ";
  constexpr std::string_view kDirectory = ", Directory: ";
  if (!text.starts_with(kFile)) return text;
  const auto directory = text.find(kDirectory);
  if (directory == std::string::npos) return text;
  const std::string name = text.substr(kFile.size(), directory - kFile.size());
  const auto folderStart = directory + kDirectory.size();
  const auto folderEnd = text.find(", Size: ", folderStart);
  CUtlPath path(text.substr(folderStart, folderEnd == std::string::npos ? std::string::npos : folderEnd - folderStart));
  path.Append(name);
  return path.Text();
}

void RecordAdminFile(const std::string& path) {
  CUtlX list(XMLFILE_ADMINFILES);
  CXMLFileManagerInterface& xml = list.Xml();
  if (!xml.IsXMLLoaded() && xml.CreateXML("<AdminImage/>") != platform::kSuccess) return;
  xml.SelectNodes("//AdminImage");
  xml.AddNodeAsChild("InstallFile");
  xml.SetAttributeSingleNode("//AdminImage/InstallFile[not(@file)]", "file", path);
}

std::uint32_t AdminRollback(CUtlXSetupMsiRollback& rollback) {
  const auto poster = rollback.Poster();
  if (poster) poster(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
  CUtlX list(XMLFILE_ADMINFILES);
  const int count = list.Xml().IsXMLLoaded() ? list.Select(kAdminList) : 0;
  if (count == 0) return 0;
  if (poster) {
    poster(SETUPMESSAGE_ITEMSTART, "%s", "QEL|RollbackAdmin|1");
    poster(INSTALLMESSAGE_PROGRESS, "%s", "1: 0 2: 0 3: 0 4: 1 ");
    const std::string total = "1: 0 2: " + std::to_string(count) + " 3: 0 4: 0 ";
    poster(INSTALLMESSAGE_PROGRESS, "%s", total.c_str());
    poster(INSTALLMESSAGE_PROGRESS, "%s", "1: 2 2: 1 3: 0 4: 0 ");
  }
  do {
    const std::string file = list.Xml().GetAttribute("file");
    if (poster) poster(INSTALLMESSAGE_ACTIONDATA, "%s", file.c_str());
    platform::Files().DeleteFile(file);
  } while (list.Xml().CounterNext());
  return 0;
}

void SaveAdminFiles(const std::string& targetFolder) {
  CUtlX list(XMLFILE_ADMINFILES);
  if (!list.Xml().IsXMLLoaded()) return;
  CUtlPath path(targetFolder);
  path.Append("AdminFiles.xml");
  list.Xml().Saveit(path.Text());
}

}  // namespace qel
