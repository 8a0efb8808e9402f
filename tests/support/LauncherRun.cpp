#include "support/LauncherRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

extern char** environ;

namespace qel::test {
namespace {

namespace fs = std::filesystem;

std::string BuildBin() {
  const char* bin = std::getenv("QEL_BUILD_BIN");
  return bin ? bin : "";
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

SetupFolder::SetupFolder(const TempMachine& machine, const std::string& name, const std::string& hooks)
    : machine_(machine), hostFolder_(machine.Root() + "/drive_c/" + name), desktopFolder_("C:\\" + name + "\\") {
  fs::create_directories(hostFolder_);
  fs::create_symlink(BuildBin() + "/Setup.exe", hostFolder_ + "/Setup.exe");
  if (hooks == "default") {
    fs::create_symlink(BuildBin() + "/Script.dll", hostFolder_ + "/Script.dll");
  } else if (!hooks.empty()) {
    const char* testHooks = std::getenv("QEL_TEST_HOOKS");
    fs::copy_file(std::string(testHooks ? testHooks : "") + "/" + hooks + "/Script.dll", hostFolder_ + "/Script.dll");
  }
}

void SetupFolder::WriteFile(const std::string& relativePath, const std::string& bytes) const {
  machine_.WriteHostFile(hostFolder_ + "/" + relativePath, bytes);
}

void SetupFolder::WriteSetupXml(const std::string& text) const { WriteFile("Setup.xml", text); }

void SetupFolder::WriteLanguage(const std::string& code, const std::string& propertyXml) const {
  const std::string lang = "Lang/" + code + "/";
  WriteFile(lang + "Property.xml", propertyXml);
  for (const char* page : {"Required/Help.htm", "Required/Init.htm", "Required/Progress.htm", "Required/Success.htm",
                           "Required/Error.htm", "Custom/Init.htm"})
    WriteFile(lang + page, "<html><body>" + std::string(page) + "</body></html>");
}

LauncherRun SetupFolder::Run(const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& environment) const {
  std::map<std::string, std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string line = *entry;
    const auto equals = line.find('=');
    if (equals != std::string::npos) env[line.substr(0, equals)] = line.substr(equals + 1);
  }
  for (const auto& [name, value] : environment) {
    if (value.empty()) env.erase(name);
    else env[name] = value;
  }
  std::vector<std::string> envLines;
  for (const auto& [name, value] : env) envLines.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& line : envLines) envp.push_back(line.data());
  envp.push_back(nullptr);

  const std::string program = hostFolder_ + "/Setup.exe";
  std::vector<std::string> argvStrings{program};
  argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& argument : argvStrings) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const std::string errPath = machine_.Root() + "/launcher-stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  LauncherRun run;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return run;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errPath);
  std::stringstream text;
  text << err.rdbuf();
  run.standardError = text.str();
  return run;
}

std::string InspectMachine(const TempMachine& machine, const std::string& arguments, int* exitStatus) {
  const std::string out = machine.Root() + "/inspector.txt";
  const std::string command = "QEL_MACHINE='" + machine.Root() + "' '" + BuildBin() + "/qel-machine' " + arguments +
                              " > '" + out + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  if (exitStatus) *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return machine.ReadHostFile(out).value_or("");
}

std::string SavedChainItem(const TempMachine& machine, const std::string& logHostPath, const std::string& productCode) {
  const std::string saved = machine.ReadHostFile(logHostPath + ".xml").value_or("");
  const auto at = saved.find("productcode=\"" + productCode + "\"");
  if (at == std::string::npos) return {};
  const auto start = saved.rfind('<', at);
  return saved.substr(start, saved.find('>', at) - start);
}

std::string ReadRunLog(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i + 1] == 0) text += bytes[i];
  }
  return text;
}

std::string SetupXmlWith(const std::map<std::string, std::string>& properties, const std::string& body) {
  std::string xml = "<QEL><Properties>";
  for (const auto& [name, value] : properties)
    xml += "<Property name=\"" + XmlEscape(name) + "\" value=\"" + XmlEscape(value) + "\"/>";
  return xml + "</Properties>" + body + "</QEL>";
}

}  // namespace qel::test
