#include "app/RuntimeFolders.h"

#include "app/LanguageCodes.h"
#include "app/LanguagePickerModel.h"
#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

constexpr const char* kRootElement = "/QEL";

// The language wish: SETUP_LANG (written into the document), else the document's own `lang`,
// lower-cased, or "default" (written back) when it has none.
std::string LanguageWish(CUtlXProperty& properties) {
  CXMLFileManagerInterface setup;
  std::string wish = properties.GetProperty("SETUP_LANG");
  if (!wish.empty()) {
    setup.SetAttributeSingleNode(kRootElement, "lang", wish);
    return wish;
  }
  wish = ToLower(setup.GetAttributeSingleNode(kRootElement, "lang"));
  if (!wish.empty()) return wish;
  setup.SetAttributeSingleNode(kRootElement, "lang", "default");
  return "default";
}

CUtlPath LangFolder(const std::string& root, std::string_view sub = {}) {
  CUtlPath folder(root);
  folder.Append("Lang\\");
  if (!sub.empty()) folder.Append(sub);
  return folder;
}

}  // namespace

bool LoadRuntimeFolders(const std::string& programPath) {
  const std::string folder = CUtlPath(programPath).GetFolder();
  CUtlPath setupXml(folder);
  setupXml.Append("Setup.xml");
  CXMLFileManagerInterface setup;
  if (setup.CreateXML(setupXml.Text()) != platform::kSuccess) return false;

  CUtlXProperty properties;
  properties.SetProperty("QEL.Rt.Setup.exe", programPath);
  properties.SetProperty("QEL.Rt.Folder", folder);
  properties.SetProperty("SETUP.EXE.DIR", folder);
  properties.SetProperty("QEL.Rt.Folder.Root", folder);
  properties.SetProperty("QEL.Rt.Setup.xml", setupXml.Text());
  return true;
}

LanguageFolderChoice ChooseLanguageFolder(CUtlXProperty& properties, unsigned uiLanguageId) {
  properties.SetProperty("QEL.Rt.OS.LanguageCode", OsLanguageCode(GetOsLanguage()));

  std::string wish = LanguageWish(properties);
  if (wish == "use_os") wish = properties.GetProperty("QEL.Rt.OS.LanguageCode");

  const std::string root = properties.GetProperty("QEL.Rt.Folder");
  CUtlPath candidate = LangFolder(root, wish);
  if (!candidate.Is(CUtlPath::kExists)) {
    const CUtlPath lang = LangFolder(root);
    const unsigned count = lang.CountSubfolders();
    if (count <= 1) {
      candidate = LangFolder(root, lang.ListSubfolders());
    } else if (properties.GetUILevel() == 5) {
      const auto picked = PickLanguage(root, uiLanguageId);
      if (!picked) return LanguageFolderChoice::kCancelled;
      properties.SetProperty("LanguagePicker_LangPicked", *picked);
      candidate = LangFolder(root, *picked);
    } else {
      candidate = LangFolder(root, "EN");
      if (!candidate.Is(CUtlPath::kExists)) candidate = LangFolder(root, lang.ListSubfolders().substr(0, 2));
    }
    if (!candidate.Is(CUtlPath::kExists)) {
      candidate = LangFolder(root, "default");
      if (!candidate.Is(CUtlPath::kExists)) return LanguageFolderChoice::kNotFound;
    }
  }
  properties.SetProperty("QEL.Rt.Folder.Lang", candidate.GetFolderPath());
  return LanguageFolderChoice::kChosen;
}

}  // namespace qel
