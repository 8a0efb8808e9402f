#include "config/UtlXPropertyPersistFile.h"

#include "config/UtlPath.h"
#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"

namespace qel {
namespace {

constexpr const char* kPropertyList = "//QEL/Properties/Property";

std::string PersistPath(const std::string& folder) {
  CUtlPath path(folder);
  path.Append("Persist.xml");
  return path.Text();
}

}  // namespace

CUtlXPropertyPersistFile::CUtlXPropertyPersistFile() : x_(XMLFILE_PERSIST), store_(XMLFILE_PERSIST) {}

void CUtlXPropertyPersistFile::Load() {
  CUtlXProperty properties;
  if (x_.Xml().CreateXML(PersistPath(properties.GetProperty("QEL.Rt.Folder"))) != platform::kSuccess) return;
  if (x_.Select(kPropertyList) == 0) return;
  do {
    properties.SetProperty(x_.Xml().GetAttribute("name"), x_.Xml().GetAttribute("value"));
  } while (x_.Xml().CounterNext());
}

// The document loaded at start-up is reused; otherwise a new one is seeded with the creation
// stamp, which also gives the store the first property it needs to append after.
bool CUtlXPropertyPersistFile::PrepareDocument() {
  CXMLFileManagerInterface& xml = x_.Xml();
  if (xml.IsXMLLoaded()) return true;
  if (xml.CreateXML("<QEL/>") != platform::kSuccess) return false;
  xml.SelectNodes("//QEL");
  xml.AddNodeAsChild("Properties");
  xml.SelectNodes("//QEL/Properties");
  xml.AddNodeAsChild("Property");
  xml.SetAttributeSingleNode("//QEL/Properties/Property[not(@name)]", "name", kPersistCreatedProperty);
  const std::string created = platform::FormatTime("%x %#H:%#M:%#S", platform::SystemInfo().Now());
  xml.SetAttributeSingleNode(std::string("//QEL/Properties/Property[@name=\"") + kPersistCreatedProperty + "\"]",
                             "value", created);
  return true;
}

void CUtlXPropertyPersistFile::Save() {
  CUtlXProperty properties;
  if (properties.IsPatchModeOnly()) return;
  if (!PrepareDocument()) return;
  const std::string targetDir = properties.GetProperty("TARGETDIR");
  if (!properties.IsAdminAction()) return;

  CUtlX marked;
  if (marked.Select("//QEL/Properties/Property[@persist=\"1\"]") > 0) {
    do {
      store_.SetProperty(marked.Xml().GetAttribute("name"), marked.Xml().GetAttribute("value"));
    } while (marked.Xml().CounterNext());
  }
  x_.Xml().Saveit(PersistPath(targetDir));
}

}  // namespace qel
