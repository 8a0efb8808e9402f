#include "chain/ComposeCmdLine.h"

#include <string>
#include <string_view>
#include <utility>

#include "chain/TextReplace.h"
#include "config/UtlXProperty.h"

namespace qel {
namespace {

// The line under construction. "Absent" is the plain, case-sensitive substring test the
// packages' authors rely on: an assignment to any name ending in the name counts as present.
class Template {
 public:
  explicit Template(std::string line) : line_(std::move(line)) {}
  bool Absent(std::string_view assignment) const { return line_.find(assignment) == std::string::npos; }
  void Append(std::string_view fragment) { line_ += fragment; }
  void AppendIfAbsent(std::string_view assignment, std::string_view fragment) {
    if (Absent(assignment)) Append(fragment);
  }
  std::string& Text() { return line_; }

 private:
  std::string line_;
};

void AppendAdministrative(Template& line) {
  line.AppendIfAbsent("TARGETDIR=", " TARGETDIR=\"[TARGETDIR]\"");
  line.AppendIfAbsent("DISABLEROLLBACK=", " DISABLEROLLBACK=1");
}

void AppendInstalledProduct(Template& line, const CUtlXSetupMsi& item, CUtlXProperty& properties) {
  if (item.IsManaged()) {
    // An authored folder assignment must not move a product that is already installed.
    properties.SetProperty("MANAGEDINSTALLED", "1");
    line.Text() = ReplaceAll(line.Text(), "INSTALLDIR=", "MANAGEDINSTALLED=");
  }
  const std::string reinstallMode = properties.GetProperty("REINSTALLMODE");
  if (!reinstallMode.empty()) {
    line.AppendIfAbsent("REINSTALLMODE=", " REINSTALLMODE=\"" + reinstallMode + "\"");
    line.AppendIfAbsent("REINSTALL=", " REINSTALL=ALL");
  }
  if (properties.GetProperty("REMOVE") == "ALL") line.AppendIfAbsent("REMOVE=", " REMOVE=ALL");
}

void AppendNewProduct(Template& line, const CUtlXSetupMsi& item, CUtlXProperty& properties) {
  if (item.IsManaged()) line.AppendIfAbsent("INSTALLDIR=", " INSTALLDIR=\"[INSTALLDIR]\"");
  if (!line.Absent("ALLUSERS=")) return;
  line.Append(" ALLUSERS=\"[ALLUSERS]\"");
  if (properties.GetProperty("ALLUSERS").empty()) properties.SetProperty("ALLUSERS", "1");
}

}  // namespace

void ComposeCmdLine(CUtlXSetupMsi& item) {
  if (item.IsExecutable() || item.HasFlag("cmdlinenomodify") || item.GetCmdLine() == kAllPublicCmdLine) return;
  CUtlXProperty& properties = item.Properties();

  Template line(item.GetCmdLine());
  if (line.Text().empty()) line.Text() = "SETUP.EXE.DIR=\"[SETUP.EXE.DIR]\"";
  line.AppendIfAbsent("SETUP.EXE.DIR=", " SETUP.EXE.DIR=\"[SETUP.EXE.DIR]\"");
  if (line.Absent("REBOOT=")) {
    line.Append(" REBOOT=[REBOOT]");
    if (properties.GetProperty("REBOOT").empty()) properties.SetProperty("REBOOT", "ReallySuppress");
  }
  line.AppendIfAbsent("ACTION=", " ACTION=\"[ACTION]\"");

  if (properties.IsAdminAction())
    AppendAdministrative(line);
  else if (item.IsProductInstalled())
    AppendInstalledProduct(line, item, properties);
  else
    AppendNewProduct(line, item, properties);

  line.AppendIfAbsent("QEL.CONTEXT=", " QEL.CONTEXT=\"[QEL.CONTEXT]\"");
  if (line.Absent("QEL.UILEVEL=")) {
    properties.GetUILevel();  // repairs a level outside 2 to 5 before the reference reads it
    line.Append(" QEL.UILEVEL=\"[QEL.UILevel]\"");
  }
  if (properties.GetProperty("SKIP.QEL.DIGITAL.SIGNATURE.CHECK") == "1")
    line.Append(" SKIP.QEL.DIGITAL.SIGNATURE.CHECK=1");
  if (properties.GetProperty("REBOOT") == "1") line.Append(" REBOOT=ReallySuppress");
  if (line.Absent("TRANSFORMS=") && !properties.GetProperty("QEL.Lang.Transform").empty())
    line.Append(" TRANSFORMS=\"[QEL.Lang.Transform]\"");

  item.SetCmdLine(line.Text());
}

}  // namespace qel
