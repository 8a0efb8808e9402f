#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// The installer service of the machine: installs, repairs, changes and removes products from
// installer packages (.msi), opens packages to run their user-interface sequences, and reports
// what it does to an external user-interface handler and a log. Result codes are the installer's
// own (0, 1602, 1603, 1605, 1619, 1620, 1638, 1641, 3010 ...).
namespace qel::platform {

// 0 is never a valid handle.
using InstallerHandle = std::uint32_t;

// Product states answered by QueryProductState.
inline constexpr int kProductStateUnknown = -1;
inline constexpr int kProductStateAbsent = 2;   // installed for another user
inline constexpr int kProductStateDefault = 5;  // installed

// Feature states answered by QueryFeatureState and recorded per product.
inline constexpr int kFeatureStateUnknown = -1;
inline constexpr int kFeatureStateAdvertised = 1;
inline constexpr int kFeatureStateAbsent = 2;
inline constexpr int kFeatureStateLocal = 3;
inline constexpr int kFeatureStateSource = 4;
inline constexpr int kFeatureStateDefault = 5;

// Message kinds in the top byte of a message type; the low bits carry message-box styles.
inline constexpr std::uint32_t kInstallMessageFatalExit = 0x00000000;
inline constexpr std::uint32_t kInstallMessageError = 0x01000000;
inline constexpr std::uint32_t kInstallMessageWarning = 0x02000000;
inline constexpr std::uint32_t kInstallMessageUser = 0x03000000;
inline constexpr std::uint32_t kInstallMessageInfo = 0x04000000;
inline constexpr std::uint32_t kInstallMessageFilesInUse = 0x05000000;
inline constexpr std::uint32_t kInstallMessageResolveSource = 0x06000000;
inline constexpr std::uint32_t kInstallMessageOutOfDiskSpace = 0x07000000;
inline constexpr std::uint32_t kInstallMessageActionStart = 0x08000000;
inline constexpr std::uint32_t kInstallMessageActionData = 0x09000000;
inline constexpr std::uint32_t kInstallMessageProgress = 0x0A000000;
inline constexpr std::uint32_t kInstallMessageCommonData = 0x0B000000;
inline constexpr std::uint32_t kInstallMessageInitialize = 0x0C000000;
inline constexpr std::uint32_t kInstallMessageTerminate = 0x0D000000;
inline constexpr std::uint32_t kInstallMessageShowDialog = 0x0E000000;
inline constexpr std::uint32_t kInstallMessageKindMask = 0xFF000000;

// A message kind's bit in a handler's message filter and in a log mode: 1 << (type >> 24).
constexpr std::uint32_t MessageFilterBit(std::uint32_t messageType) {
  return 1u << (messageType >> 24);
}

// Log attribute: append to an existing log file instead of replacing it.
inline constexpr std::uint32_t kInstallLogAttributeAppend = 1;

// Internal user-interface levels (only the basic level is meaningful on this machine: it never
// shows installer dialogs of its own). kInstallUiLevelNoChange asks for the current level.
inline constexpr int kInstallUiLevelNoChange = 0;
inline constexpr int kInstallUiLevelDefault = 1;
inline constexpr int kInstallUiLevelNone = 2;
inline constexpr int kInstallUiLevelBasic = 3;
inline constexpr int kInstallUiLevelReduced = 4;
inline constexpr int kInstallUiLevelFull = 5;
inline constexpr int kInstallUiLevelSourceResOnly = 0x100;

// Answers of a handler: 0 not handled, 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
inline constexpr int kHandlerNotHandled = 0;
inline constexpr int kHandlerOk = 1;
inline constexpr int kHandlerCancel = 2;

// An external user-interface handler: gets every message whose kind bit is in its filter and
// answers as a message box would.
using InstallUiHandler = int (*)(void* context, std::uint32_t messageType, const std::string& text);

struct ExternalUi {
  InstallUiHandler handler = nullptr;
  std::uint32_t messageFilter = 0;
  void* context = nullptr;
};

// What a patch sequencing record names: a patch package, or an XML description of one.
inline constexpr std::uint32_t kPatchDataFilePath = 0;
inline constexpr std::uint32_t kPatchDataXmlPath = 1;

// One patch of a sequencing request. Sequencing answers, per record, status 0 and the order
// (from 0) when the patch applies, else kPatchTargetNotFound (or the error that kept the patch
// from being read) and order -1.
struct PatchSequenceRecord {
  std::string patchData;
  std::uint32_t dataType = kPatchDataFilePath;
  std::int32_t order = -1;
  std::uint32_t status = 0;
};

// Targets of a patch application.
inline constexpr int kInstallTypeNetworkImage = 1;    // a package of an administrative image
inline constexpr int kInstallTypeSingleInstance = 2;  // an installed product, by product code

class IInstallerService {
 public:
  virtual ~IInstallerService() = default;

  // kProductStateDefault, kProductStateAbsent or kProductStateUnknown.
  virtual int QueryProductState(const std::string& productCode) = 0;

  // Installs, repairs, changes or removes (by the command line's properties) from a package.
  // `commandLine` is a property command line: NAME=value pairs, values quoted with "" when they
  // hold blanks, NAME="" for an empty value.
  virtual ErrorCode InstallProduct(const std::string& packagePath, const std::string& commandLine) = 0;

  // Reconfigures an installed product from its cached package. installLevel 0 is the default;
  // installState kFeatureStateDefault keeps the command line in charge, kFeatureStateAbsent
  // removes the product.
  virtual ErrorCode ConfigureProduct(const std::string& productCode, int installLevel,
                                     int installState, const std::string& commandLine) = 0;

  // "Transforms", "InstallLocation", "InstallSource", "ProductName", "VersionString",
  // "PackageName", "LocalPackage", "Language", "PackageCode", "AssignmentType".
  // kUnknownProduct for an unknown product, 1608 (unknown property) for another attribute.
  virtual ErrorCode GetProductInfo(const std::string& productCode, const std::string& attribute,
                                   std::string& value) = 0;

  // Opens a package for a session in which actions and sequences run without changing the
  // machine. kProductVersion when another version of its product is installed.
  virtual ErrorCode OpenPackage(const std::string& packagePath, std::uint32_t options,
                                InstallerHandle& session) = 0;
  virtual ErrorCode OpenProduct(const std::string& productCode, InstallerHandle& session) = 0;

  // The session's database; 0 for a handle that is not a session.
  virtual InstallerHandle GetActiveDatabase(InstallerHandle session) = 0;
  // Recorded with the session (and with the product when it is installed from this session);
  // the transform's rows are not applied.
  virtual ErrorCode ApplyTransform(InstallerHandle database, const std::string& transform,
                                   int errorConditions) = 0;

  virtual ErrorCode DoAction(InstallerHandle session, const std::string& action) = 0;
  virtual ErrorCode Sequence(InstallerHandle session, const std::string& table, int mode) = 0;

  virtual ErrorCode GetProperty(InstallerHandle session, const std::string& name,
                                std::string& value) = 0;
  virtual ErrorCode SetProperty(InstallerHandle session, const std::string& name,
                                const std::string& value) = 0;

  // Views on a session's database. Only "SELECT * FROM `_Property`" and plain
  // "SELECT * FROM `Table`" queries are understood; fields are numbered from 1.
  virtual ErrorCode OpenView(InstallerHandle database, const std::string& query,
                             InstallerHandle& view) = 0;
  virtual ErrorCode ViewExecute(InstallerHandle view) = 0;
  // kErrorNoMoreItems after the last record.
  virtual ErrorCode ViewFetch(InstallerHandle view, InstallerHandle& record) = 0;
  virtual ErrorCode RecordGetString(InstallerHandle record, unsigned field, std::string& value) = 0;

  // Returns the previous level; `owner` (an opaque window handle) is swapped with the previous
  // owner when not null.
  virtual int SetInternalUI(int level, std::uintptr_t* owner) = 0;
  // Returns the previous handler, filter and context.
  virtual ExternalUi SetExternalUI(const ExternalUi& ui) = 0;
  // mode 0 or an empty path switches logging off.
  virtual ErrorCode EnableLog(std::uint32_t logMode, const std::string& logPath,
                              std::uint32_t attributes) = 0;

  // kErrorNoMoreItems past the last one.
  virtual ErrorCode EnumProducts(unsigned index, std::string& productCode) = 0;
  virtual ErrorCode EnumFeatures(const std::string& productCode, unsigned index,
                                 std::string& feature, std::string& parent) = 0;
  virtual int QueryFeatureState(const std::string& productCode, const std::string& feature) = 0;

  virtual ErrorCode CloseHandle(InstallerHandle handle) = 0;

  // Which of the patches apply to the product installed per machine, and in which order:
  // patches of one family by their sequence, otherwise in the order given. kUnknownProduct
  // when no such product is installed per machine.
  virtual ErrorCode DeterminePatchSequence(const std::string& productCode,
                                           std::vector<PatchSequenceRecord>& records) = 0;
  // The same for the package file of an administrative image; kInstallPackageOpenFailed when
  // the package cannot be read.
  virtual ErrorCode DetermineApplicablePatches(const std::string& packagePath,
                                               std::vector<PatchSequenceRecord>& records) = 0;
  // Applies a patch package to an installed product (kInstallTypeSingleInstance, `target` a
  // product code) or to an image package (kInstallTypeNetworkImage, `target` its path): 0 or
  // 3010, kPatchTargetNotFound when the patch is not for it, kPatchNoSequence when a later
  // member of its family is already applied to the product, kInstallPackageInvalid for an
  // unreadable patch, or another failure. The applied patch is recorded with the product.
  virtual ErrorCode ApplyPatch(const std::string& patchPackage, const std::string& target,
                               int installType, const std::string& commandLine) = 0;
};

IInstallerService& Installer();

// Closes an installer handle when it goes out of scope.
class InstallerHandleHolder {
 public:
  InstallerHandleHolder() = default;
  explicit InstallerHandleHolder(InstallerHandle handle) : handle_(handle) {}
  InstallerHandleHolder(const InstallerHandleHolder&) = delete;
  InstallerHandleHolder& operator=(const InstallerHandleHolder&) = delete;
  InstallerHandleHolder(InstallerHandleHolder&& other) noexcept : handle_(other.Release()) {}
  InstallerHandleHolder& operator=(InstallerHandleHolder&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~InstallerHandleHolder() { Reset(); }

  InstallerHandle Get() const { return handle_; }
  InstallerHandle* Out() {
    Reset();
    return &handle_;
  }
  InstallerHandle Release() {
    InstallerHandle handle = handle_;
    handle_ = 0;
    return handle;
  }
  void Reset(InstallerHandle handle = 0) {
    if (handle_ != 0) Installer().CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  InstallerHandle handle_ = 0;
};

}  // namespace qel::platform
