#include "app/SetupCmdLine.h"

#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

bool IsSwitchLead(char c) { return c == '-' || c == '/'; }

bool ContainsAfterFirst(std::string_view token, char c) {
  return token.size() > 1 && token.find(c, 1) != std::string_view::npos;
}

}  // namespace

bool CSetupCmdLine::Parse(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) {
    if (!echo_.empty()) echo_ += ' ';
    echo_ += argument;
    const bool accepted = !argument.empty() && IsSwitchLead(argument.front())
                              ? ParseSwitch(ToLower(std::string_view(argument).substr(1)))
                              : ParsePlain(argument);
    if (!accepted) return false;
  }
  return true;
}

bool CSetupCmdLine::ParseSwitch(std::string token) {
  if (token == "arpmode") properties_.SetProperty("QEL.ARP.Mode", "1");
  if (token == "a") {
    properties_.SetProperty("ACTION", "ADMIN");
    adminInstall_ = true;
    pending_ = Pending::kAdmin;
  }
  if (token == "uninstall") token = "x";
  if (token == "x") {
    properties_.SetProperty("REMOVE", "ALL");
    if (properties_.GetUILevel() == 5) {
      properties_.SetUILevel(3);
      properties_.SetProperty("QEL.Show.Finish", "0");
    }
  }

  bool restartSwitch = true;
  if (token == "norestart") {
    properties_.SetProperty("REBOOT", "ReallySuppress");
  } else if (token == "promptrestart") {
    properties_.SetProperty("REBOOT", "Suppress");
  } else if (token == "forcerestart") {
    properties_.SetProperty("REBOOT", "Force");
  } else {
    restartSwitch = false;
  }
  if (!restartSwitch && token.starts_with('l')) {
    ParseLogging(token);
  } else if (!restartSwitch && token.starts_with('f')) {
    std::erase(token, 'f');
    properties_.SetProperty("REINSTALLMODE", token);
  }

  if (token == "quiet") token = "qn";
  if (token == "passive") token = "qb";
  if (token.starts_with('q')) return ParseUiLevel(token);
  return token != "?" && token != "help";
}

void CSetupCmdLine::ParseLogging(std::string token) {
  if (token == "log") token = "l*";
  if (token == "l") token = "iwearmo";
  std::string options = token;
  if (token.size() > 1 && token[1] == '*') {
    options = "iwearucmop";
    if (ContainsAfterFirst(token, 'x')) options += 'x';
    if (ContainsAfterFirst(token, 'v')) options += 'v';
  }
  properties_.SetProperty("QEL.LogOptions", options);
  pending_ = Pending::kLogFile;
}

bool CSetupCmdLine::ParseUiLevel(std::string_view token) {
  int level = 2;
  if (token.size() > 1) {
    switch (token[1]) {
      case 'b': level = 3; break;
      case 'r': level = 4; break;
      case 'f':
        level = 5;
        properties_.SetProperty("QEL.Show.Finish", "1");
        break;
      default: break;
    }
  }
  properties_.SetUILevel(level);

  const std::string_view modifiers = token.size() > 2 ? token.substr(2) : std::string_view();
  if (modifiers.find('+') != std::string_view::npos) properties_.SetProperty("QEL.Show.Finish", "1");
  if (modifiers.find('-') != std::string_view::npos) {
    if (level != 3) return false;
    properties_.SetProperty("QEL.NoModalDialogs", "1");
  }
  if (modifiers.find('!') != std::string_view::npos) {
    if (level != 3) return false;
    properties_.SetProperty("QEL.DisableCancel", "1");
  }
  return true;
}

bool CSetupCmdLine::ParsePlain(const std::string& argument) {
  const Pending pending = pending_;
  pending_ = Pending::kNone;
  if (pending == Pending::kLogFile) {
    properties_.SetProperty("QEL.LogFile", argument);
    return true;
  }
  if (pending == Pending::kAdmin) {
    const CUtlPath folder(argument);
    if (folder.Is(CUtlPath::kAbsolute) && folder.Is(CUtlPath::kExists)) {
      properties_.SetProperty("TARGETDIR", folder.GetFolderPath());
      return true;
    }
  }

  const auto equals = argument.find('=');
  if (equals == std::string::npos || equals < 2) return true;
  const std::string name = argument.substr(0, equals);
  const std::string value = argument.substr(equals + 1);
  if (value.empty()) return true;
  // Only public (upper-case) properties may be set from the command line.
  if (ToUpper(name) != name) return false;
  properties_.SetProperty(name, value);
  return true;
}

}  // namespace qel
