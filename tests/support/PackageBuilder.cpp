#include "support/PackageBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace qel::test {
namespace {

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

std::string FixturesFolder() {
  const char* fixtures = std::getenv("QEL_FIXTURES");
  if (fixtures != nullptr && *fixtures != '\0') return fixtures;
  const char* source = std::getenv("QEL_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/tests/fixtures";
}

}  // namespace

std::string SqlText(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "''";
    else out += c;
  }
  return out + "'";
}

PackageBuilder::PackageBuilder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qel-packages-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a build folder";
    return;
  }
  folder_ = buffer.data();
}

PackageBuilder::~PackageBuilder() {
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

void PackageBuilder::AddSourceFile(const std::string& relativePath, const std::string& bytes) const {
  std::filesystem::path path = std::filesystem::path(folder_) / relativePath;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) ADD_FAILURE() << "cannot write " << path;
}

bool PackageBuilder::Run(const std::vector<std::string>& arguments) const {
  std::string command = "cd " + ShellQuote(folder_) + " &&";
  for (const auto& argument : arguments) command += " " + ShellQuote(argument);
  command += " >" + ShellQuote(folder_ + "/tool.log") + " 2>&1";
  int status = std::system(command.c_str());
  if (status == 0) return true;
  std::ifstream log(folder_ + "/tool.log");
  std::string output((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  ADD_FAILURE() << "failed (" << status << "): " << command << "\n" << output;
  return false;
}

std::string PackageBuilder::Build(const std::string& wxsName, const std::string& outputName,
                                  const std::map<std::string, std::string>& defines) const {
  std::vector<std::string> arguments = {"wixl", "-o", folder_ + "/" + outputName};
  for (const auto& [name, value] : defines) {
    arguments.push_back("-D");
    arguments.push_back(name + "=" + value);
  }
  arguments.push_back(FixturesFolder() + "/wxs/" + wxsName + ".wxs");
  if (!Run(arguments)) return {};
  return folder_ + "/" + outputName;
}

bool PackageBuilder::RunSql(const std::string& packagePath, const std::vector<std::string>& statements) const {
  std::vector<std::string> arguments = {"msibuild", packagePath};
  for (const auto& statement : statements) {
    arguments.push_back("-q");
    arguments.push_back(statement);
  }
  return Run(arguments);
}

bool PackageBuilder::AddConditions(const std::string& packagePath,
                                   const std::vector<std::tuple<std::string, int, std::string>>& rows) const {
  std::vector<std::string> statements = {
      "CREATE TABLE `Condition` (`Feature_` CHAR(38) NOT NULL, `Level` SHORT NOT NULL, "
      "`Condition` CHAR(255) PRIMARY KEY `Feature_`, `Level`)"};
  for (const auto& [feature, level, condition] : rows)
    statements.push_back("INSERT INTO `Condition` (`Feature_`, `Level`, `Condition`) VALUES (" +
                         SqlText(feature) + ", " + std::to_string(level) + ", " + SqlText(condition) + ")");
  return RunSql(packagePath, statements);
}

bool PackageBuilder::AddExecuteAction(const std::string& packagePath, const std::string& action,
                                      const std::string& condition, int sequence) const {
  return RunSql(packagePath, {"INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES (" +
                                  SqlText(action) + ", " + SqlText(condition) + ", " +
                                  std::to_string(sequence) + ")"});
}

bool PackageBuilder::AddCustomAction(const std::string& packagePath, const std::string& action, int type,
                                     const std::string& source, const std::string& target) const {
  return RunSql(packagePath, {"INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES (" +
                                  SqlText(action) + ", " + std::to_string(type) + ", " + SqlText(source) +
                                  ", " + SqlText(target) + ")"});
}

}  // namespace qel::test
