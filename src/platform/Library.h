#pragma once
#include <memory>
#include <string>

#include "platform/ErrorCodes.h"

// Libraries loaded at run time from a desktop path (the hook library beside the program, the
// script engines). The library stays loaded while its handle lives; an export found through it
// must not be used after the handle is gone.
namespace qel::platform {

class ILibrary {
 public:
  virtual ~ILibrary() = default;
  // The address of the export `name`, or null when the library has none of that name.
  virtual void* FindExport(const std::string& name) const = 0;

  // The export as a function pointer of the caller's type; null when missing.
  template <typename Function>
  Function FindFunction(const std::string& name) const {
    return reinterpret_cast<Function>(FindExport(name));
  }
};

// kErrorModNotFound when no file is at `path`, kErrorBadExeFormat when the file is not a library
// that this machine can load.
ErrorCode LoadLibrary(const std::string& path, std::unique_ptr<ILibrary>& out);

}  // namespace qel::platform
