#pragma once
#include <string>

#include "chain/UtlXSetup.h"

namespace qel {

// An `Msi` item of the chain (//QEL/Setups/Msi): a package or an executable.
class CUtlXSetupMsi : public CUtlXSetup {
 public:
  explicit CUtlXSetupMsi(SetupMessagePoster poster = nullptr) : CUtlXSetup(poster) {}
  ~CUtlXSetupMsi() override = default;
  CUtlXSetupMsi(const CUtlXSetupMsi&) = default;
  CUtlXSetupMsi& operator=(const CUtlXSetupMsi&) = default;

  // Empty: every item. A product code: the item that carries it; when none does, the argument
  // is tried as an expression of its own (a code is rarely one, so that usually selects 0).
  int Select(const std::string& productCode) override;

  virtual std::string GetProductCode() const;
  virtual std::string GetCmdLine() const;
  virtual bool SetCmdLine(const std::string& text);
  // `managed` is "1"; only an `Msi` can be the managed item.
  virtual bool IsManaged() const;
  // `adminsupport` is anything but "0".
  virtual bool SupportsAdmin() const;
  // The first managed item; 0 when the chain has none.
  virtual int SelectManaged();

  // The item's own product is installed (state 5 or 2); false without a product code.
  bool IsProductInstalled() const;

 protected:
  // Selects `expression`, falling back to `argument` as an expression of its own.
  int SelectWithFallback(const std::string& expression, const std::string& argument);
};

// "[@productcode=<code>]" with the code as an XPath literal, so that a code holding quotes
// cannot change the expression.
std::string ProductCodePredicate(const std::string& productCode);

}  // namespace qel
