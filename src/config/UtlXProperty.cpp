#include "config/UtlXProperty.h"

#include <charconv>
#include <optional>

#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

constexpr const char* kPropertyPath = "//QEL/Properties/Property";

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

// The value as a decimal number made of digits only; nothing for anything else.
std::optional<int> ParseDecimal(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || text.front() == '-' || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// Copies every property of the document in slot 4 (as just loaded) into the main store.
void CopyStartUpDocument(CXMLFileManagerInterface& source) {
  CUtlXProperty mainStore(XMLFILE_SETUP);
  if (source.SelectNodes(kPropertyPath) == 0) return;
  do {
    const std::string name = source.GetAttribute("name");
    if (!name.empty()) mainStore.SetProperty(name, source.GetAttribute("value"));
  } while (source.CounterNext() != 0);
}

}  // namespace

CUtlXProperty::CUtlXProperty(int slot) : x_(slot) {}

std::string CUtlXProperty::GetProperty(std::string_view name) const { return x_.Xml().GetPropertyValue(name); }

bool CUtlXProperty::SetProperty(std::string_view name, std::string_view value) {
  return x_.Xml().SetPropertyValue(name, value);
}

bool CUtlXProperty::IsPropertySet(std::string_view name) const {
  const std::string value = GetProperty(name);
  return !value.empty() && value != "0";
}

bool CUtlXProperty::EvaluateCondition(std::string_view condition) const {
  const bool negated = !condition.empty() && condition.front() == '!';
  const std::size_t start = condition.find_first_not_of('!');
  const std::string_view rest = start == std::string_view::npos ? std::string_view() : condition.substr(start);

  bool answer = false;
  const std::size_t equals = rest.find('=');
  if (rest.empty() || rest == "1") {
    answer = true;
  } else if (equals != std::string_view::npos && equals >= 1) {
    const std::string_view name = Trim(rest.substr(0, equals));
    const std::string_view expected = Trim(rest.substr(equals + 1));
    answer = EqualsNoCase(GetProperty(name), expected);
  } else {
    answer = !GetProperty(rest).empty();
  }
  return negated ? !answer : answer;
}

bool CUtlXProperty::IsAdminAction() {
  const std::string action = GetProperty("ACTION");
  if (action.empty()) {
    SetProperty("ACTION", "INSTALL");
    return false;
  }
  return action == "ADMIN";
}

int CUtlXProperty::GetUILevel() {
  const std::string value = GetProperty("QEL.UILevel");
  const std::optional<int> level = ParseDecimal(value);
  if (level && *level >= 2 && *level <= 5) return *level;
  SetProperty("QEL.UILevel", "5");
  return 5;
}

void CUtlXProperty::SetUILevel(int level) { SetProperty("QEL.UILevel", std::to_string(level)); }

bool CUtlXProperty::IsRunFromSource() const { return GetProperty("RUN_FROM_SOURCE") == "1"; }

bool CUtlXProperty::IsPatchModeOnly() const { return GetProperty("QEL.PatchMode.Only") == "1"; }

void CUtlXProperty::LoadLanguageProperties() {
  CUtlPath path(GetProperty("QEL.Rt.Folder.Lang"));
  path.Append("Property.xml");
  CXMLFileManagerInterface document;
  document.SetFileIndex(XMLFILE_PROPERTIES);
  document.CreateXML(path.Text());  // a missing file leaves the slot empty: nothing to copy
  CopyStartUpDocument(document);
}

void CUtlXProperty::LoadCoreProperties() {
  CXMLFileManagerInterface document;
  document.SetFileIndex(XMLFILE_PROPERTIES);
  if (document.CreateXML(GetProperty("CORE_PROPERTIES_XML")) != platform::kSuccess) return;
  CopyStartUpDocument(document);
}

namespace {

bool IsPublicName(const std::string& name) { return ToUpper(name) == name; }

}  // namespace

void CUtlXProperty::PushPublicProperties(platform::InstallerHandle session) const {
  CUtlX walk(x_.Xml().GetFileIndex());
  if (walk.Select("//QEL/Properties/Property") == 0) return;
  do {
    const std::string name = walk.Xml().GetAttribute("name");
    if (name.empty() || !IsPublicName(name)) continue;
    if (name == "ADDLOCAL" || name == "ADDSOURCE" || name == "REMOVE") continue;
    platform::Installer().SetProperty(session, name, walk.Xml().GetAttribute("value"));
  } while (walk.Xml().CounterNext());
}

void CUtlXProperty::PullSessionProperties(platform::InstallerHandle session) {
  auto& installer = platform::Installer();
  platform::InstallerHandleHolder database(installer.GetActiveDatabase(session));
  platform::InstallerHandleHolder view;
  if (installer.OpenView(database.Get(), "SELECT * FROM `_Property`", *view.Out()) == platform::kSuccess &&
      installer.ViewExecute(view.Get()) == platform::kSuccess) {
    platform::InstallerHandleHolder record;
    while (installer.ViewFetch(view.Get(), *record.Out()) == platform::kSuccess) {
      std::string name;
      if (installer.RecordGetString(record.Get(), 1, name) != platform::kSuccess) continue;
      std::string value;
      if (installer.GetProperty(session, name, value) != platform::kSuccess) continue;
      if (name == "ADDLOCAL" || name == "ADDSOURCE" || name == "REMOVE" || name == "REINSTALL" || name == "DATABASE")
        continue;
      SetProperty(name, value);
    }
  }
  SetProperty("INSTALLDIR_ORIGINAL", GetProperty("INSTALLDIR"));
  SetProperty("TARGETDIR_ORIGINAL", GetProperty("TARGETDIR"));
}

}  // namespace qel
