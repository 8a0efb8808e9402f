#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The tables of an installer package that the service acts on, read once into plain rows.
namespace qel::platform::installer {

struct DirectoryRow {
  std::string id;
  std::string parent;
  std::string defaultDir;  // "target[:source]", each "short|long" or "."
};

struct FeatureRow {
  std::string id;
  std::string parent;
  std::string title;
  int level = 1;
  std::string directory;
  int attributes = 0;
  int display = 0;
};

struct ConditionRow {
  std::string feature;
  int level = 0;
  std::string condition;
};

struct ComponentRow {
  std::string id;
  std::string guid;
  std::string directory;
  int attributes = 0;
  std::string condition;
  std::string keyPath;
};

struct FileRow {
  std::string id;
  std::string component;
  std::string fileName;  // "short|long"
  std::uint64_t size = 0;
  std::string version;
  int attributes = 0;
  int sequence = 0;
};

struct MediaRow {
  int diskId = 0;
  int lastSequence = 0;
  std::string cabinet;  // "#stream" for an embedded cabinet, else a file beside the package
};

struct SequenceRow {
  std::string action;
  std::string condition;
  int sequence = 0;
};

struct CustomActionRow {
  std::string action;
  int type = 0;
  std::string source;
  std::string target;
};

inline constexpr int kFileAttributeNoncompressed = 0x2000;
inline constexpr int kFileAttributeCompressed = 0x4000;
inline constexpr int kSummarySourceShortNames = 1;
inline constexpr int kSummarySourceCompressed = 2;
inline constexpr int kSummarySourceAdminImage = 4;

struct Package {
  std::string hostPath;
  std::string packageCode;   // summary revision number
  std::string templateText;  // "platform;language"
  int wordCount = 0;         // summary source flags
  std::vector<std::pair<std::string, std::string>> properties;  // in table order
  std::vector<DirectoryRow> directories;
  std::vector<FeatureRow> features;  // in table order
  std::vector<ConditionRow> conditions;
  std::multimap<std::string, std::string> featureComponents;  // feature -> component
  std::vector<ComponentRow> components;
  std::vector<FileRow> files;  // sorted by sequence
  std::vector<MediaRow> media;  // sorted by disk id
  std::map<std::string, std::vector<SequenceRow>> sequences;  // table -> rows by sequence
  std::map<std::string, CustomActionRow> customActions;

  // Index of components by key, filled by ReadPackage; lookups fall back to a scan without it.
  std::map<std::string, std::size_t> componentIndex;

  std::string Property(const std::string& name) const;
  const ComponentRow* FindComponent(const std::string& id) const;
  const FeatureRow* FindFeature(const std::string& id) const;
  bool Compressed() const { return (wordCount & kSummarySourceCompressed) != 0; }
  // Whether a file comes out of a cabinet (the package default, flipped by the file's own bits).
  bool FileIsCompressed(const FileRow& file) const;
};

}  // namespace qel::platform::installer
