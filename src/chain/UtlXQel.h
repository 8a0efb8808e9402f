#pragma once
#include <cstdint>
#include <string>

#include "config/UtlX.h"
#include "config/UtlXProperty.h"

namespace qel {

// A cursor on Setup.xml together with the property store, the common base of the chain
// wrappers. Every wrapper of the chain records results, so SetResult is left to them.
class CUtlXQel : public CUtlX {
 public:
  CUtlXQel() = default;
  ~CUtlXQel() override = default;
  CUtlXQel(const CUtlXQel&) = default;
  CUtlXQel& operator=(const CUtlXQel&) = default;

  // An empty path selects the root element "QEL"; anything else is taken as the expression.
  int Select(const std::string& path) override;

  virtual bool SetResult(std::uint32_t code) = 0;

  CUtlXProperty& Properties() { return properties_; }
  const CUtlXProperty& Properties() const { return properties_; }

 private:
  CUtlXProperty properties_;
};

}  // namespace qel
