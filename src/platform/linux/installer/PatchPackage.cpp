#include "platform/linux/installer/PatchPackage.h"

#include <libmsi.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "platform/TextCase.h"
#include "platform/linux/installer/GObjectPtr.h"
#include "platform/linux/installer/PackageReader.h"

namespace qel::platform::installer {
namespace {

std::string Trim(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool SameCode(const std::string& a, const std::string& b) { return ToUpper(a) == ToUpper(b); }

std::vector<std::string> SplitCodes(const std::string& list) {
  std::vector<std::string> codes;
  std::stringstream stream(list);
  std::string code;
  while (std::getline(stream, code, ';')) {
    code = Trim(code);
    if (!code.empty()) codes.push_back(code);
  }
  return codes;
}

std::string SummaryString(LibmsiSummaryInfo* info, LibmsiProperty property) {
  GErrorHolder error;
  const gchar* text = libmsi_summary_info_get_string(info, property, &error.out);
  return text != nullptr ? std::string(text) : std::string();
}

// The texts of every <tag>...</tag> in document order; the descriptions hold no nesting of a
// tag inside itself and no attributes on the elements read this way.
std::vector<std::string> ElementTexts(const std::string& xml, const std::string& tag) {
  std::vector<std::string> texts;
  const std::string open = "<" + tag + ">";
  const std::string close = "</" + tag + ">";
  std::size_t at = 0;
  while ((at = xml.find(open, at)) != std::string::npos) {
    const std::size_t start = at + open.size();
    const std::size_t end = xml.find(close, start);
    if (end == std::string::npos) break;
    texts.push_back(Trim(xml.substr(start, end - start)));
    at = end + close.size();
  }
  return texts;
}

std::string AttributeOf(const std::string& xml, const std::string& element, const std::string& name) {
  const std::size_t at = xml.find("<" + element);
  if (at == std::string::npos) return {};
  const std::size_t end = xml.find('>', at);
  const std::string tag = xml.substr(at, end == std::string::npos ? std::string::npos : end - at);
  const std::size_t key = tag.find(name + "=\"");
  if (key == std::string::npos) return {};
  const std::size_t start = key + name.size() + 2;
  const std::size_t quote = tag.find('"', start);
  if (quote == std::string::npos) return {};
  return tag.substr(start, quote - start);
}

ErrorCode Validated(PatchPackage& out) {
  if (out.patchCode.empty() || out.targets.empty()) return kInstallPackageInvalid;
  return kSuccess;
}

}  // namespace

bool PatchPackage::Targets(const std::string& productCode) const {
  for (const auto& target : targets) {
    if (SameCode(target, productCode)) return true;
  }
  return false;
}

PatchSequenceEntry PatchPackage::SequenceFor(const std::string& productCode) const {
  for (const auto& entry : sequences) {
    if (entry.productCode.empty() || SameCode(entry.productCode, productCode)) return entry;
  }
  return {patchCode, productCode, "0"};
}

ErrorCode ReadPatchPackage(const std::string& hostPath, PatchPackage& out) {
  out = {};
  {
    GErrorHolder error;
    GObjectPtr<LibmsiDatabase> db(libmsi_database_new(hostPath.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error.out));
    if (!db) return kInstallPackageInvalid;
    GErrorHolder infoError;
    GObjectPtr<LibmsiSummaryInfo> info(libmsi_summary_info_new(db.get(), 0, &infoError.out));
    if (!info) return kInstallPackageInvalid;
    out.patchCode = Trim(SummaryString(info.get(), LIBMSI_PROPERTY_UUID));
    out.title = SummaryString(info.get(), LIBMSI_PROPERTY_SUBJECT);
    out.targets = SplitCodes(SummaryString(info.get(), LIBMSI_PROPERTY_TEMPLATE));
  }
  std::vector<std::vector<std::string>> rows;
  if (ReadTableRows(hostPath, "MsiPatchSequence", rows) == kSuccess) {
    for (const auto& row : rows) {
      if (row.size() >= 3) out.sequences.push_back({row[0], row[1], row[2]});
    }
  }
  if (ReadTableRows(hostPath, "PatchFile", rows) == kSuccess) {
    for (const auto& row : rows) {
      if (!row.empty() && !row[0].empty()) out.fileKeys.push_back(row[0]);
    }
  }
  return Validated(out);
}

ErrorCode ReadPatchDescription(const std::string& hostPath, PatchPackage& out) {
  out = {};
  std::ifstream file(hostPath, std::ios::binary);
  if (!file) return kErrorFileNotFound;
  std::stringstream content;
  content << file.rdbuf();
  const std::string xml = content.str();
  out.patchCode = Trim(AttributeOf(xml, "MsiPatch", "PatchGUID"));
  out.targets = ElementTexts(xml, "TargetProductCode");
  const auto families = ElementTexts(xml, "PatchFamily");
  const auto products = ElementTexts(xml, "ProductCode");
  const auto sequences = ElementTexts(xml, "Sequence");
  for (std::size_t i = 0; i < families.size() && i < sequences.size(); ++i) {
    out.sequences.push_back({families[i], i < products.size() ? products[i] : std::string(), sequences[i]});
  }
  return Validated(out);
}

std::vector<std::pair<std::string, std::string>> ImagePackagePatches(const std::string& packageHostPath) {
  std::vector<std::pair<std::string, std::string>> patches;
  std::vector<std::vector<std::string>> rows;
  if (ReadTableRows(packageHostPath, "AppliedPatch", rows) != kSuccess) return patches;
  for (const auto& row : rows) {
    if (row.size() >= 2) patches.emplace_back(row[0], row[1]);
  }
  return patches;
}

ErrorCode RecordPatchInImagePackage(const std::string& packageHostPath, const PatchPackage& patch) {
  std::vector<std::vector<std::string>> rows;
  const bool hasTable = ReadTableRows(packageHostPath, "AppliedPatch", rows) == kSuccess;
  for (const auto& row : rows) {
    if (!row.empty() && SameCode(row[0], patch.patchCode)) return kSuccess;
  }
  GErrorHolder error;
  GObjectPtr<LibmsiDatabase> db(libmsi_database_new(packageHostPath.c_str(), LIBMSI_DB_FLAGS_TRANSACT, nullptr, &error.out));
  if (!db) return kInstallPackageInvalid;
  auto run = [&](const char* sql, LibmsiRecord* parameters) {
    GErrorHolder queryError, executeError, closeError;
    GObjectPtr<LibmsiQuery> query(libmsi_query_new(db.get(), sql, &queryError.out));
    if (!query || !libmsi_query_execute(query.get(), parameters, &executeError.out)) return false;
    libmsi_query_close(query.get(), &closeError.out);
    return true;
  };
  if (!hasTable &&
      !run("CREATE TABLE `AppliedPatch` (`PatchCode` CHAR(38) NOT NULL, `Title` CHAR(0) PRIMARY KEY `PatchCode`)",
           nullptr)) {
    return kInstallFailure;
  }
  // Parameters, not text in the query: a title may hold quotes.
  GObjectPtr<LibmsiRecord> row(libmsi_record_new(2));
  if (!row || !libmsi_record_set_string(row.get(), 1, patch.patchCode.c_str()) ||
      !libmsi_record_set_string(row.get(), 2, patch.title.c_str())) {
    return kInstallFailure;
  }
  if (!run("INSERT INTO `AppliedPatch` (`PatchCode`, `Title`) VALUES (?, ?)", row.get())) return kInstallFailure;
  GErrorHolder commitError;
  return libmsi_database_commit(db.get(), &commitError.out) ? kSuccess : kInstallFailure;
}

int CompareSequences(const std::string& a, const std::string& b) {
  std::stringstream left(a), right(b);
  std::string l, r;
  for (;;) {
    const bool hasLeft = static_cast<bool>(std::getline(left, l, '.'));
    const bool hasRight = static_cast<bool>(std::getline(right, r, '.'));
    if (!hasLeft && !hasRight) return 0;
    std::uint64_t x = 0, y = 0;
    for (char c : hasLeft ? l : std::string()) if (c >= '0' && c <= '9') x = x * 10 + static_cast<std::uint64_t>(c - '0');
    for (char c : hasRight ? r : std::string()) if (c >= '0' && c <= '9') y = y * 10 + static_cast<std::uint64_t>(c - '0');
    if (x != y) return x < y ? -1 : 1;
  }
}

}  // namespace qel::platform::installer
