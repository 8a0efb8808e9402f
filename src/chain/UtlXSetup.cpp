#include "chain/UtlXSetup.h"

#include <charconv>
#include <cstdint>

#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

constexpr const char* kDefaultProgressText = "Str.ProgressText.Default";
constexpr const char* kPublishedProgressText = "Str.ProgressTotalText.Complete";

std::string DecimalOf(std::uint32_t code) { return std::to_string(static_cast<std::int32_t>(code)); }

}  // namespace

int CUtlXSetup::Select(const std::string& path) { return CUtlX::Select(path.empty() ? "QEL/Setups" : path); }

bool CUtlXSetup::SetResult(std::uint32_t code) {
  if (!SetResultCode(code)) return false;
  return Xml().SetAttribute("resulttext", GetResultText(code));
}

std::uint32_t CUtlXSetup::GetResult() const {
  const std::string text = Xml().GetAttribute("result");
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return 0;
  if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX)) return 0;
  return static_cast<std::uint32_t>(value);
}

bool CUtlXSetup::SetResultCode(std::uint32_t code) { return Xml().SetAttribute("result", DecimalOf(code)); }

bool CUtlXSetup::SetFile(const std::string& path) {
  return Xml().SetAttribute("file", CUtlPath(ToLower(path)).GetPath());
}

std::string CUtlXSetup::GetFile() const { return Xml().GetAttribute("file"); }

bool CUtlXSetup::SetScheduled(bool scheduled) { return Xml().SetAttribute("scheduled", scheduled ? "1" : "0"); }

std::string CUtlXSetup::GetCondition() const { return Xml().GetAttribute("condition"); }

bool CUtlXSetup::HasFlag(const std::string& name) const { return Xml().GetAttribute(name) == "1"; }

bool CUtlXSetup::IsExecutable() const { return CUtlPath(GetFile()).Is(CUtlPath::kExecutable); }

std::string CUtlXSetup::GetProgressText() const {
  std::string name = Xml().GetAttribute("progresstext");
  if (name.empty()) name = kDefaultProgressText;
  return Properties().GetProperty(name);
}

bool CUtlXSetup::PublishProgressText() { return Properties().SetProperty(kPublishedProgressText, GetProgressText()); }

std::string CUtlXSetup::GetProgressType() const {
  std::string type = Xml().GetAttribute("progresstype");
  return type.empty() ? "0" : type;
}

std::string CUtlXSetup::GetRootFolder() const { return ToLower(Xml().GetAttribute("rootfolder")); }

bool CUtlXSetup::SetRootFolder(const std::string& path) {
  return Xml().SetAttribute("rootfolder", CUtlPath(path).GetFolderPath());
}

}  // namespace qel
