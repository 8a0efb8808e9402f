#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/ErrorCodes.h"

// Named mutexes and events, visible to every process of the same machine. An object exists as
// long as some handle to it is open, in this process or another; the last handle closed (or the
// last holder process ended, even killed) makes it vanish with its state. Names are compared
// exactly, letter case included, as the desktop's object names are; "Global\" and "Local\" are
// part of the name.
namespace qel::platform {

// How long a wait may take; nothing means without end.
using WaitTimeout = std::optional<std::chrono::milliseconds>;

enum class WaitResult { Signalled, TimedOut, Failed };

class INamedMutex {
 public:
  virtual ~INamedMutex() = default;
  // Takes ownership of the mutex, waiting for another owner to release it; an owner that ends
  // without releasing releases it by ending.
  virtual WaitResult Wait(WaitTimeout timeout) = 0;
  // Answers false when this handle does not own the mutex.
  virtual bool Release() = 0;
};

class INamedEvent {
 public:
  virtual ~INamedEvent() = default;
  virtual ErrorCode Set() = 0;
  virtual ErrorCode Reset() = 0;
  // A manual-reset event stays signalled after a wait until Reset.
  virtual WaitResult Wait(WaitTimeout timeout) = 0;
};

// Creates the mutex (not owned) or opens it when it already exists: then `out` is set as well
// and the answer is kErrorAlreadyExists, which is how the launcher finds a second running copy.
// An empty or unusable name gives kErrorInvalidName.
ErrorCode CreateNamedMutex(const std::string& name, std::unique_ptr<INamedMutex>& out);

// Creates a manual-reset event in state `signalled`, or opens the existing one (its state kept)
// with kErrorAlreadyExists, `out` set in both cases.
ErrorCode CreateNamedEvent(const std::string& name, bool signalled,
                           std::unique_ptr<INamedEvent>& out);
// Opens an existing event; kErrorFileNotFound when no handle to it is open anywhere.
ErrorCode OpenNamedEvent(const std::string& name, std::unique_ptr<INamedEvent>& out);

}  // namespace qel::platform
