#pragma once
#include <glib-object.h>

#include <memory>

// Owns one reference of a GObject (libmsi and libgcab objects) and drops it when it goes.
namespace qel::platform::installer {

struct GObjectUnref {
  void operator()(void* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

// Collects a GError for one call: `&error.out` goes to the call, the error is freed after.
struct GErrorHolder {
  GError* out = nullptr;
  GErrorHolder() = default;
  GErrorHolder(const GErrorHolder&) = delete;
  GErrorHolder& operator=(const GErrorHolder&) = delete;
  ~GErrorHolder() {
    if (out != nullptr) g_error_free(out);
  }
};

}  // namespace qel::platform::installer
