#include "platform/linux/installer/CabinetExtractor.h"

#include <libgcab.h>

#include <filesystem>

#include "platform/linux/installer/GObjectPtr.h"
#include "platform/linux/installer/InstallerCodes.h"

namespace qel::platform::installer {
namespace {

struct ExtractState {
  const std::set<std::string>* wanted;
  std::set<std::string> seen;
  std::string current;
};

gboolean ChooseFile(GCabFile* file, gpointer data) {
  auto* state = static_cast<ExtractState*>(data);
  const gchar* name = gcab_file_get_name(file);
  if (name == nullptr || !state->wanted->count(name)) return FALSE;
  state->seen.insert(name);
  state->current = name;
  return TRUE;
}

}  // namespace

ErrorCode ExtractCabinet(const std::string& cabinetHostPath, const std::set<std::string>& wanted,
                         const std::string& targetHostFolder, std::string* writing) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(cabinetHostPath, ec)) return kErrorFileNotFound;
  GObjectPtr<GFile> source(g_file_new_for_path(cabinetHostPath.c_str()));
  GErrorHolder readError;
  GObjectPtr<GFileInputStream> input(g_file_read(source.get(), nullptr, &readError.out));
  if (!input) return kErrorFileNotFound;
  return ExtractCabinetStream(G_INPUT_STREAM(input.get()), wanted, targetHostFolder, writing);
}

ErrorCode ExtractCabinetStream(GInputStream* input, const std::set<std::string>& wanted,
                               const std::string& targetHostFolder, std::string* writing) {
  GObjectPtr<GCabCabinet> cabinet(gcab_cabinet_new());
  GErrorHolder loadError;
  if (!gcab_cabinet_load(cabinet.get(), input, nullptr, &loadError.out)) return kInstallSourceCorrupt;
  GObjectPtr<GFile> target(g_file_new_for_path(targetHostFolder.c_str()));
  ExtractState state{&wanted, {}};
  GErrorHolder extractError;
  if (!gcab_cabinet_extract(cabinet.get(), target.get(), ChooseFile, nullptr, &state, nullptr,
                            &extractError.out)) {
    if (!g_error_matches(extractError.out, G_IO_ERROR, G_IO_ERROR_NO_SPACE)) return kInstallSourceCorrupt;
    if (writing != nullptr) *writing = state.current;
    return kErrorDiskFull;
  }
  if (state.seen.size() != wanted.size()) return kInstallSourceCorrupt;
  return kSuccess;
}

}  // namespace qel::platform::installer
