#include "platform/linux/installer/PackageReader.h"

#include <libmsi.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "platform/linux/installer/CabinetExtractor.h"
#include "platform/linux/installer/GObjectPtr.h"
#include "platform/linux/installer/InstallerCodes.h"

namespace qel::platform::installer {
namespace {

using Row = std::vector<std::string>;

std::string FieldText(LibmsiRecord* record, unsigned field) {
  if (libmsi_record_is_null(record, field)) return {};
  gchar* text = libmsi_record_get_string(record, field);
  if (text == nullptr) return {};
  std::string value(text);
  g_free(text);
  return value;
}

int FieldInt(LibmsiRecord* record, unsigned field, int fallback = 0) {
  if (libmsi_record_is_null(record, field)) return fallback;
  return libmsi_record_get_int(record, field);
}

GObjectPtr<LibmsiDatabase> OpenDatabase(const std::string& hostPath) {
  GErrorHolder error;
  return GObjectPtr<LibmsiDatabase>(
      libmsi_database_new(hostPath.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error.out));
}

// Runs a query and hands every record to `visit`. A table the package does not have is no
// error: most tables are optional.
bool ForEachRecord(LibmsiDatabase* db, const std::string& sql,
                   const std::function<void(LibmsiRecord*)>& visit) {
  GErrorHolder error;
  GObjectPtr<LibmsiQuery> query(libmsi_query_new(db, sql.c_str(), &error.out));
  if (!query) return false;
  GErrorHolder execError;
  if (!libmsi_query_execute(query.get(), nullptr, &execError.out)) return false;
  for (;;) {
    GErrorHolder fetchError;
    GObjectPtr<LibmsiRecord> record(libmsi_query_fetch(query.get(), &fetchError.out));
    if (!record) break;
    visit(record.get());
  }
  GErrorHolder closeError;
  libmsi_query_close(query.get(), &closeError.out);
  return true;
}

void ReadSummary(LibmsiDatabase* db, Package& out) {
  GErrorHolder error;
  GObjectPtr<LibmsiSummaryInfo> info(libmsi_summary_info_new(db, 0, &error.out));
  if (!info) return;
  GErrorHolder e1, e2, e3;
  if (const gchar* code = libmsi_summary_info_get_string(info.get(), LIBMSI_PROPERTY_UUID, &e1.out))
    out.packageCode = code;
  if (const gchar* text = libmsi_summary_info_get_string(info.get(), LIBMSI_PROPERTY_TEMPLATE, &e2.out))
    out.templateText = text;
  out.wordCount = libmsi_summary_info_get_int(info.get(), LIBMSI_PROPERTY_SOURCE, &e3.out);
}

std::set<std::string> TableNames(LibmsiDatabase* db) {
  std::set<std::string> names;
  ForEachRecord(db, "SELECT `Name` FROM `_Tables`", [&](LibmsiRecord* r) { names.insert(FieldText(r, 1)); });
  return names;
}

void ReadTables(LibmsiDatabase* db, Package& out) {
  // Asking for a table the package lacks makes the library complain on stderr: only present
  // tables are read.
  std::set<std::string> tables = TableNames(db);
  auto read = [&](const std::string& table, const std::string& sql, const std::function<void(LibmsiRecord*)>& visit) {
    if (tables.count(table)) ForEachRecord(db, sql, visit);
  };
  read("Property", "SELECT `Property`, `Value` FROM `Property`", [&](LibmsiRecord* r) {
    out.properties.emplace_back(FieldText(r, 1), FieldText(r, 2));
  });
  read("Directory", "SELECT `Directory`, `Directory_Parent`, `DefaultDir` FROM `Directory`",
                [&](LibmsiRecord* r) {
                  out.directories.push_back({FieldText(r, 1), FieldText(r, 2), FieldText(r, 3)});
                });
  read("Feature",
                "SELECT `Feature`, `Feature_Parent`, `Title`, `Level`, `Directory_`, `Attributes`, "
                "`Display` FROM `Feature`",
                [&](LibmsiRecord* r) {
                  out.features.push_back({FieldText(r, 1), FieldText(r, 2), FieldText(r, 3),
                                          FieldInt(r, 4), FieldText(r, 5), FieldInt(r, 6),
                                          FieldInt(r, 7)});
                });
  read("Condition", "SELECT `Feature_`, `Level`, `Condition` FROM `Condition`", [&](LibmsiRecord* r) {
    out.conditions.push_back({FieldText(r, 1), FieldInt(r, 2), FieldText(r, 3)});
  });
  read("FeatureComponents", "SELECT `Feature_`, `Component_` FROM `FeatureComponents`", [&](LibmsiRecord* r) {
    out.featureComponents.emplace(FieldText(r, 1), FieldText(r, 2));
  });
  read("Component",
                "SELECT `Component`, `ComponentId`, `Directory_`, `Attributes`, `Condition`, "
                "`KeyPath` FROM `Component`",
                [&](LibmsiRecord* r) {
                  out.components.push_back({FieldText(r, 1), FieldText(r, 2), FieldText(r, 3),
                                            FieldInt(r, 4), FieldText(r, 5), FieldText(r, 6)});
                });
  read("File",
                "SELECT `File`, `Component_`, `FileName`, `FileSize`, `Version`, `Attributes`, "
                "`Sequence` FROM `File`",
                [&](LibmsiRecord* r) {
                  out.files.push_back({FieldText(r, 1), FieldText(r, 2), FieldText(r, 3),
                                       static_cast<std::uint64_t>(std::max(0, FieldInt(r, 4))),
                                       FieldText(r, 5), FieldInt(r, 6), FieldInt(r, 7)});
                });
  read("Media", "SELECT `DiskId`, `LastSequence`, `Cabinet` FROM `Media`", [&](LibmsiRecord* r) {
    out.media.push_back({FieldInt(r, 1), FieldInt(r, 2), FieldText(r, 3)});
  });
  for (const char* table : {"InstallExecuteSequence", "InstallUISequence", "AdminUISequence",
                            "AdminExecuteSequence"}) {
    auto& rows = out.sequences[table];
    read(table,
         std::string("SELECT `Action`, `Condition`, `Sequence` FROM `") + table + "`",
                  [&](LibmsiRecord* r) {
                    rows.push_back({FieldText(r, 1), FieldText(r, 2), FieldInt(r, 3)});
                  });
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SequenceRow& a, const SequenceRow& b) { return a.sequence < b.sequence; });
  }
  read("CustomAction", "SELECT `Action`, `Type`, `Source`, `Target` FROM `CustomAction`",
                [&](LibmsiRecord* r) {
                  CustomActionRow row{FieldText(r, 1), FieldInt(r, 2), FieldText(r, 3), FieldText(r, 4)};
                  out.customActions[row.action] = row;
                });
  std::stable_sort(out.files.begin(), out.files.end(),
                   [](const FileRow& a, const FileRow& b) { return a.sequence < b.sequence; });
  std::stable_sort(out.media.begin(), out.media.end(),
                   [](const MediaRow& a, const MediaRow& b) { return a.diskId < b.diskId; });
}

}  // namespace

std::string Package::Property(const std::string& name) const {
  for (const auto& [key, value] : properties)
    if (key == name) return value;
  return {};
}

const ComponentRow* Package::FindComponent(const std::string& id) const {
  if (!componentIndex.empty()) {
    auto it = componentIndex.find(id);
    return it == componentIndex.end() ? nullptr : &components[it->second];
  }
  for (const auto& component : components)
    if (component.id == id) return &component;
  return nullptr;
}

const FeatureRow* Package::FindFeature(const std::string& id) const {
  for (const auto& feature : features)
    if (feature.id == id) return &feature;
  return nullptr;
}

bool Package::FileIsCompressed(const FileRow& file) const {
  if (file.attributes & kFileAttributeCompressed) return true;
  if (file.attributes & kFileAttributeNoncompressed) return false;
  return Compressed();
}

ErrorCode ReadPackage(const std::string& hostPath, Package& out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hostPath, ec)) return kErrorFileNotFound;
  GObjectPtr<LibmsiDatabase> db = OpenDatabase(hostPath);
  if (!db) return kInstallPackageInvalid;
  out = Package{};
  out.hostPath = hostPath;
  ReadSummary(db.get(), out);
  ReadTables(db.get(), out);
  for (std::size_t i = 0; i < out.components.size(); ++i) out.componentIndex[out.components[i].id] = i;
  // A database without its product code is not an installable package.
  if (out.Property("ProductCode").empty()) return kInstallPackageInvalid;
  return kSuccess;
}

ErrorCode ReadTableRows(const std::string& hostPath, const std::string& table,
                        std::vector<std::vector<std::string>>& rows) {
  GObjectPtr<LibmsiDatabase> db = OpenDatabase(hostPath);
  if (!db) return kInstallPackageInvalid;
  rows.clear();
  if (!TableNames(db.get()).count(table)) return kBadQuerySyntax;
  bool ok = ForEachRecord(db.get(), "SELECT * FROM `" + table + "`", [&](LibmsiRecord* r) {
    Row row;
    unsigned count = libmsi_record_get_field_count(r);
    for (unsigned field = 1; field <= count; ++field) row.push_back(FieldText(r, field));
    rows.push_back(std::move(row));
  });
  return ok ? kSuccess : kBadQuerySyntax;
}

ErrorCode ExtractStream(const std::string& packageHostPath, const std::string& streamName,
                        const std::string& targetHostPath) {
  GObjectPtr<LibmsiDatabase> db = OpenDatabase(packageHostPath);
  if (!db) return kInstallPackageInvalid;
  bool found = false;
  bool written = false;
  int writeError = 0;
  ForEachRecord(db.get(), "SELECT `Name`, `Data` FROM `_Streams`", [&](LibmsiRecord* r) {
    if (found || FieldText(r, 1) != streamName) return;
    found = true;
    GObjectPtr<GInputStream> input(libmsi_record_get_stream(r, 2));
    if (!input) return;
    std::ofstream target(targetHostPath, std::ios::binary | std::ios::trunc);
    char buffer[1 << 16];
    for (;;) {
      GErrorHolder error;
      gssize n = g_input_stream_read(input.get(), buffer, sizeof buffer, nullptr, &error.out);
      if (n < 0) return;
      if (n == 0) break;
      // Taken at once: the reads between the writes may change errno.
      if (!target.write(buffer, n)) {
        writeError = errno;
        return;
      }
    }
    written = static_cast<bool>(target.flush());
    if (!written) writeError = errno;
  });
  if (!found) return kInstallSourceCorrupt;
  if (written) return kSuccess;
  if (writeError == ENOSPC || writeError == EDQUOT) return kErrorDiskFull;
  return writeError != 0 ? kErrorWriteFault : kInstallSourceCorrupt;
}

ErrorCode ExtractEmbeddedCabinet(const std::string& packageHostPath, const std::string& streamName,
                                 const std::set<std::string>& wanted, const std::string& targetHostFolder,
                                 std::string* writing) {
  GObjectPtr<LibmsiDatabase> db = OpenDatabase(packageHostPath);
  if (!db) return kInstallPackageInvalid;
  ErrorCode result = kErrorFileNotFound;
  bool found = false;
  ForEachRecord(db.get(), "SELECT `Name`, `Data` FROM `_Streams`", [&](LibmsiRecord* r) {
    if (found || FieldText(r, 1) != streamName) return;
    found = true;
    GObjectPtr<GInputStream> input(libmsi_record_get_stream(r, 2));
    if (!input) {
      result = kInstallSourceCorrupt;
      return;
    }
    if (!G_IS_SEEKABLE(input.get()) || !g_seekable_can_seek(G_SEEKABLE(input.get()))) {
      result = kErrorNotSupported;
      return;
    }
    result = ExtractCabinetStream(input.get(), wanted, targetHostFolder, writing);
  });
  return result;
}

ErrorCode WriteAdminPackage(const std::string& packageHostPath, const std::string& targetHostPath) {
  // The copy is changed in place: opening the original with another output path makes the
  // library keep a copy of that path that it never frees.
  std::error_code copyError;
  std::filesystem::copy_file(packageHostPath, targetHostPath,
                             std::filesystem::copy_options::overwrite_existing, copyError);
  if (copyError) return kErrorWriteFault;
  GErrorHolder error;
  GObjectPtr<LibmsiDatabase> db(libmsi_database_new(targetHostPath.c_str(), LIBMSI_DB_FLAGS_TRANSACT,
                                                    nullptr, &error.out));
  if (!db) return kInstallPackageInvalid;
  std::vector<std::pair<std::string, int>> fileAttributes;
  ForEachRecord(db.get(), "SELECT `File`, `Attributes` FROM `File`", [&](LibmsiRecord* r) {
    fileAttributes.emplace_back(FieldText(r, 1), FieldInt(r, 2));
  });
  for (const auto& [file, attributes] : fileAttributes) {
    int plain = attributes & ~(kFileAttributeCompressed | kFileAttributeNoncompressed);
    if (plain == attributes) continue;
    std::string sql = "UPDATE `File` SET `Attributes` = " + std::to_string(plain) +
                      " WHERE `File` = '" + file + "'";
    ForEachRecord(db.get(), sql, [](LibmsiRecord*) {});
  }
  {
    GErrorHolder infoError;
    GObjectPtr<LibmsiSummaryInfo> info(libmsi_summary_info_new(db.get(), 2, &infoError.out));
    if (!info) return kInstallFailure;
    GErrorHolder getError, setError, persistError;
    int words = libmsi_summary_info_get_int(info.get(), LIBMSI_PROPERTY_SOURCE, &getError.out);
    if (words < 0) words = 0;
    words = (words & ~kSummarySourceCompressed) | kSummarySourceAdminImage;
    if (!libmsi_summary_info_set_int(info.get(), LIBMSI_PROPERTY_SOURCE, words, &setError.out) ||
        !libmsi_summary_info_persist(info.get(), &persistError.out))
      return kInstallFailure;
  }
  GErrorHolder commitError;
  if (!libmsi_database_commit(db.get(), &commitError.out)) return kInstallFailure;
  return kSuccess;
}

ErrorCode WriteCachedPackage(const std::string& packageHostPath, const std::vector<std::string>& embeddedCabinets,
                            const std::string& targetHostPath) {
  // Written straight to the target by the library, so the cabinets are never copied at all.
  GErrorHolder error;
  GObjectPtr<LibmsiDatabase> db(libmsi_database_new(packageHostPath.c_str(), LIBMSI_DB_FLAGS_TRANSACT,
                                                    targetHostPath.c_str(), &error.out));
  if (!db) return kInstallPackageInvalid;
  for (const auto& cabinet : embeddedCabinets) {
    // A name the query language cannot quote stays in the copy; it only costs space.
    if (cabinet.find('\'') != std::string::npos) continue;
    ForEachRecord(db.get(), "DELETE FROM `_Streams` WHERE `Name` = '" + cabinet + "'", [](LibmsiRecord*) {});
  }
  GErrorHolder commitError;
  if (!libmsi_database_commit(db.get(), &commitError.out)) {
    std::error_code ignored;
    std::filesystem::remove(targetHostPath, ignored);
    return kErrorWriteFault;
  }
  return kSuccess;
}

}  // namespace qel::platform::installer
