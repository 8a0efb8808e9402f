#include "platform/linux/installer/ProductDatabase.h"

#include <cstdlib>
#include <sstream>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/linux/SimulatedMachine.h"

namespace qel::platform::installer {
namespace {

constexpr const char* kHeader = "qel-installer-products 1";

// Values go on one line: backslash, tab and line breaks are escaped.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    auto tab = line.find('\t', start);
    fields.push_back(Unescape(line.substr(start, tab - start)));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

struct ScalarField {
  const char* key;
  std::string ProductRecord::*member;
};

const ScalarField kScalars[] = {
    {"name", &ProductRecord::name},
    {"version", &ProductRecord::version},
    {"packagecode", &ProductRecord::packageCode},
    {"language", &ProductRecord::language},
    {"context", &ProductRecord::context},
    {"installlocation", &ProductRecord::installLocation},
    {"installsource", &ProductRecord::installSource},
    {"packagename", &ProductRecord::packageName},
    {"localpackage", &ProductRecord::localPackage},
    {"transforms", &ProductRecord::transforms},
    {"installdate", &ProductRecord::installDate},
};

}  // namespace

std::string MachineRootHostPath() { return CurrentMachine()->Root(); }

std::string InstallerDataFolder() {
  return Files().FromHostPath(MachineRootHostPath() + "/installer");
}

std::string ProductDatabase::Serialize() const {
  std::ostringstream out;
  out << kHeader << '\n';
  for (const auto& product : products_) {
    out << "product\t" << Escape(product.productCode) << '\n';
    for (const auto& field : kScalars) out << field.key << '\t' << Escape(product.*field.member) << '\n';
    for (const auto& feature : product.features)
      out << "feature\t" << Escape(feature.name) << '\t' << Escape(feature.parent) << '\t'
          << feature.state << '\n';
    for (const auto& file : product.files)
      out << "file\t" << Escape(file.key) << '\t' << Escape(file.path) << '\n';
    for (const auto& folder : product.folders) out << "folder\t" << Escape(folder) << '\n';
    for (const auto& patch : product.patches)
      out << "patch\t" << Escape(patch.code) << '\t' << Escape(patch.title) << '\t' << Escape(patch.localPackage)
          << '\n';
    out << "end\n";
  }
  return out.str();
}

bool ProductDatabase::Parse(const std::string& text, ProductDatabase& out) {
  out.products_.clear();
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return false;
  ProductRecord* current = nullptr;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    auto fields = SplitTabs(line);
    const std::string& key = fields[0];
    if (key == "product" && fields.size() == 2) {
      out.products_.push_back(ProductRecord{});
      current = &out.products_.back();
      current->productCode = fields[1];
      continue;
    }
    if (current == nullptr) return false;
    if (key == "end") {
      current = nullptr;
      continue;
    }
    if (key == "feature" && fields.size() == 4) {
      current->features.push_back({fields[1], fields[2], std::atoi(fields[3].c_str())});
      continue;
    }
    if (key == "file" && fields.size() == 3) {
      current->files.push_back({fields[1], fields[2]});
      continue;
    }
    if (key == "folder" && fields.size() == 2) {
      current->folders.push_back(fields[1]);
      continue;
    }
    // Databases written before titles and cached copies were kept name the code alone.
    if (key == "patch" && (fields.size() == 2 || fields.size() == 4)) {
      current->patches.push_back({fields[1], fields.size() == 4 ? fields[2] : std::string(),
                                  fields.size() == 4 ? fields[3] : std::string()});
      continue;
    }
    bool known = false;
    for (const auto& field : kScalars) {
      if (key != field.key || fields.size() != 2) continue;
      current->*field.member = fields[1];
      known = true;
    }
    if (!known) return false;
  }
  return current == nullptr;
}

ErrorCode ProductDatabase::Load(ProductDatabase& out) {
  out.products_.clear();
  std::string bytes;
  ErrorCode read = Files().ReadFile(InstallerDataFolder() + "\\products.db", bytes);
  if (read == kErrorFileNotFound || read == kErrorPathNotFound) return kSuccess;
  if (read != kSuccess) return read;
  return Parse(bytes, out) ? kSuccess : kBadConfiguration;
}

ErrorCode ProductDatabase::Save() const {
  std::string folder = InstallerDataFolder();
  ErrorCode created = Files().CreateFolder(folder);
  if (created != kSuccess && created != kErrorAlreadyExists) return created;
  return Files().WriteFile(folder + "\\products.db", Serialize());
}

const ProductRecord* ProductDatabase::Find(const std::string& productCode) const {
  for (const auto& product : products_)
    if (EqualsNoCase(product.productCode, productCode)) return &product;
  return nullptr;
}

void ProductDatabase::Put(ProductRecord record) {
  for (auto& product : products_) {
    if (!EqualsNoCase(product.productCode, record.productCode)) continue;
    product = std::move(record);
    return;
  }
  products_.push_back(std::move(record));
}

void ProductDatabase::Remove(const std::string& productCode) {
  std::erase_if(products_, [&](const ProductRecord& product) {
    return EqualsNoCase(product.productCode, productCode);
  });
}

bool ProductDatabase::PatchPackageInUse(const std::string& localPackage) const {
  for (const auto& product : products_) {
    for (const auto& patch : product.patches)
      if (EqualsNoCase(patch.localPackage, localPackage)) return true;
  }
  return false;
}

}  // namespace qel::platform::installer
