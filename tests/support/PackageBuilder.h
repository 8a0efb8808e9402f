#pragma once
#include <map>
#include <string>
#include <vector>

// Builds installer packages for a test from the .wxs sources in tests/fixtures/wxs with wixl,
// and completes them with msibuild where wixl lacks a table (Condition rows, error actions,
// extra sequence rows).
//
//   qel::test::PackageBuilder builder;                       // a temporary build folder
//   builder.AddSourceFile("main.txt", "hello");              // payload the .wxs names
//   std::string msi = builder.Build("product", "a.msi", {{"ProductCode", "{...}"}});
//   builder.RunSql(msi, "INSERT INTO `Property` ...");
//
// Failures are reported as test failures (ADD_FAILURE) and give an empty path or false. The
// folder and everything in it is removed when the builder goes.
namespace qel::test {

class PackageBuilder {
 public:
  PackageBuilder();
  ~PackageBuilder();
  PackageBuilder(const PackageBuilder&) = delete;
  PackageBuilder& operator=(const PackageBuilder&) = delete;

  // The host folder the payload and the packages are written to.
  const std::string& Folder() const { return folder_; }

  // Writes a payload file (a path relative to the folder; folders are created).
  void AddSourceFile(const std::string& relativePath, const std::string& bytes) const;

  // Builds tests/fixtures/wxs/<wxsName>.wxs with the defines into Folder()/<outputName>; answers
  // the host path of the package.
  std::string Build(const std::string& wxsName, const std::string& outputName,
                    const std::map<std::string, std::string>& defines = {}) const;

  // Runs SQL statements on a package with msibuild, in order.
  bool RunSql(const std::string& packagePath, const std::vector<std::string>& statements) const;

  // Adds a Condition table (wixl writes none) with rows (feature, level, condition).
  bool AddConditions(const std::string& packagePath,
                     const std::vector<std::tuple<std::string, int, std::string>>& rows) const;

  // Adds a custom action and its row in InstallExecuteSequence.
  bool AddExecuteAction(const std::string& packagePath, const std::string& action,
                        const std::string& condition, int sequence) const;
  bool AddCustomAction(const std::string& packagePath, const std::string& action, int type,
                       const std::string& source, const std::string& target) const;

 private:
  bool Run(const std::vector<std::string>& arguments) const;

  std::string folder_;
};

// Single-quotes a text for SQL ('it''s').
std::string SqlText(const std::string& text);

}  // namespace qel::test
