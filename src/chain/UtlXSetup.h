#pragma once
#include <cstdint>
#include <string>

#include "chain/UtlXQel.h"
#include "uimsg/SendSetupMessage.h"

namespace qel {

// A chain item of any kind (an `Msi`, `Dbm`, `Rollback` or `SupportFile` element), and, after
// Select with an empty path, the `Setups` element itself for the chain-wide attributes.
//
// The poster decides whether running the item talks to the user interface: null (the default)
// means no item messages, no progress and no questions at all. The chains set it on the
// wrappers they run; preparation and scheduling leave it null.
//
// Attributes that are absent read as ""; flags are true only when exactly "1". Writes on a
// wrapper without a current node change nothing and answer false.
class CUtlXSetup : public CUtlXQel {
 public:
  explicit CUtlXSetup(SetupMessagePoster poster = nullptr) : poster_(poster) {}
  ~CUtlXSetup() override = default;
  CUtlXSetup(const CUtlXSetup&) = default;
  CUtlXSetup& operator=(const CUtlXSetup&) = default;

  // An empty path selects "QEL/Setups".
  int Select(const std::string& path) override;

  // `result` as "%d" of the code and `resulttext` as its text.
  bool SetResult(std::uint32_t code) override;
  // `result` as a number; 0 when absent or not a decimal number.
  virtual std::uint32_t GetResult() const;
  // Only `result`, leaving `resulttext` as it is.
  bool SetResultCode(std::uint32_t code);

  // Lower-cased and without trailing backslashes.
  virtual bool SetFile(const std::string& path);
  virtual std::string GetFile() const;

  SetupMessagePoster Poster() const { return poster_; }
  void SetPoster(SetupMessagePoster poster) { poster_ = poster; }

  bool IsScheduled() const { return HasFlag("scheduled"); }
  bool SetScheduled(bool scheduled);
  std::string GetCondition() const;
  bool HasFlag(const std::string& name) const;
  // The file ends in ".exe" in any letter case.
  bool IsExecutable() const;

  // The value of the property that `progresstext` names ("Str.ProgressText.Default" when it
  // names none).
  std::string GetProgressText() const;
  // Hands that caption to the progress display through "Str.ProgressTotalText.Complete".
  bool PublishProgressText();
  // `progresstype`, "0" when empty.
  std::string GetProgressType() const;

  // Chain-wide, on a wrapper positioned by Select(""): `rootfolder` of `Setups`, lower-cased on
  // reading and written with exactly one trailing backslash.
  std::string GetRootFolder() const;
  bool SetRootFolder(const std::string& path);

 private:
  SetupMessagePoster poster_ = nullptr;
};

}  // namespace qel
