#pragma once
#include <memory>

#include "platform/FileService.h"

// The services the launcher uses instead of the operating system. Each accessor returns the
// process's instance, built on first use from the environment (QEL_MACHINE names the simulated
// machine's root). Every service header declares its own accessor beside its interface.
namespace qel::platform {

IFileService& Files();

// Replaces the file service (tests substitute one where the real machine cannot produce a
// case); nullptr goes back to the machine's own.
void SetFiles(std::unique_ptr<IFileService> files);

// Drops every cached service so that the next call rebuilds it from the environment; tests call
// it after pointing QEL_MACHINE at a fresh root.
void ResetPlatform();

// A service that caches an instance registers how to drop it, once, when it first builds it;
// ResetPlatform calls every registered function.
void OnPlatformReset(void (*reset)());

}  // namespace qel::platform
