#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "config/UtlXProperty.h"

namespace qel {

// Turns the launcher's arguments (the program name excluded) into properties of the store:
// switches in the installer's command-line style and public NAME=value assignments. It keeps no
// result of its own beyond the echo of the arguments and the administrative-installation flag
// it raises on its owner.
class CSetupCmdLine {
 public:
  explicit CSetupCmdLine(bool& adminInstall) : adminInstall_(adminInstall) {}
  virtual ~CSetupCmdLine() = default;

  // False when an argument is rejected; later arguments are then neither echoed nor parsed.
  bool Parse(const std::vector<std::string>& arguments);
  // The arguments as given, separated by one blank, up to the rejected one.
  std::string GetEcho() const { return echo_; }

 private:
  enum class Pending { kNone, kAdmin, kLogFile };

  bool ParseSwitch(std::string token);
  bool ParseUiLevel(std::string_view token);
  void ParseLogging(std::string token);
  bool ParsePlain(const std::string& argument);

  CUtlXProperty properties_;
  Pending pending_ = Pending::kNone;
  std::string echo_;
  bool& adminInstall_;
};

}  // namespace qel
