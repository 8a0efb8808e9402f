#pragma once
#include <gtest/gtest.h>

#include <string>

#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "support/TempMachine.h"

// A temporary machine with Setup.xml in slot 0, and real packages for the product codes of
// tests/fixtures/chain/Chain.xml, built once per test program and installed on demand.
namespace qel::test {

inline constexpr const char* kManagedCode = "{A1000000-0000-0000-0000-000000000001}";
inline constexpr const char* kPrereqCode = "{A1000000-0000-0000-0000-000000000002}";
inline constexpr const char* kHelperCode = "{A1000000-0000-0000-0000-000000000003}";
inline constexpr const char* kRepairCode = "{A1000000-0000-0000-0000-000000000004}";
inline constexpr const char* kNeverBuiltCode = "{A1000000-0000-0000-0000-000000000009}";

// The desktop path of a package of the sample product with that code (built on first use).
std::string ChainPackage(const std::string& productCode);
// Installs that package on the current machine; fails the test when the installer refuses.
void InstallChainProduct(const std::string& productCode);

class ChainTest : public ::testing::Test {
 protected:
  void TearDown() override { xml_.UnInitialize(); }

  // tests/fixtures/chain/<name>, or XML text when `name` starts with '<'.
  void LoadSetup(const std::string& nameOrText);

  std::string Attribute(const std::string& expression, const std::string& name) const {
    return xml_.GetAttributeSingleNode(expression, name);
  }
  void SetAttribute(const std::string& expression, const std::string& name, const std::string& value) {
    ASSERT_TRUE(xml_.SetAttributeSingleNode(expression, name, value)) << expression;
  }
  // `name` of the item (an `Msi` or `Dbm` found by its product code).
  std::string ItemAttribute(const std::string& productCode, const std::string& name) const;
  std::string Count(const std::string& expression) { return std::to_string(xml_.SelectNodes(expression)); }

  TempMachine machine_;
  CXMLFileManagerInterface xml_;
  CUtlXProperty store_;
};

}  // namespace qel::test
