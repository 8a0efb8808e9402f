#include "platform/Platform.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/linux/LinuxFileService.h"
#include "platform/linux/SimulatedMachine.h"

namespace qel::platform {
namespace {

struct FileSlot {
  std::mutex mutex;
  std::unique_ptr<IFileService> files;
};

FileSlot& Slot() {
  static FileSlot slot;
  return slot;
}

struct ResetRegistry {
  std::mutex mutex;
  std::vector<void (*)()> functions;
};

ResetRegistry& Registry() {
  static ResetRegistry registry;
  return registry;
}

}  // namespace

IFileService& Files() {
  FileSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  if (!slot.files) slot.files = std::make_unique<LinuxFileService>(CurrentMachine());
  return *slot.files;
}

void SetFiles(std::unique_ptr<IFileService> files) {
  FileSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.files = std::move(files);
}

void ResetPlatform() {
  std::vector<void (*)()> functions;
  {
    ResetRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    functions = registry.functions;
  }
  // Called outside the lock so that a reset function may itself use the platform.
  for (void (*reset)() : functions) reset();
  SetFiles(nullptr);
}

void OnPlatformReset(void (*reset)()) {
  ResetRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  if (std::find(registry.functions.begin(), registry.functions.end(), reset) == registry.functions.end()) {
    registry.functions.push_back(reset);
  }
}

}  // namespace qel::platform
