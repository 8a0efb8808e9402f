#include "config/XMLFileManagerInterface.h"
#include "platform/SystemInfo.h"

namespace qel {
namespace {

constexpr int kPrimaryChinese = 0x04;
constexpr int kTraditionalChinese = 31748;  // 0x7C04, the Traditional Chinese language group

// Sub-languages of Chinese written with traditional characters: Taiwan, Hong Kong, Macao and
// the neutral Traditional Chinese id.
bool IsTraditionalChinese(int subLanguage) {
  return subLanguage == 0x01 || subLanguage == 0x03 || subLanguage == 0x05 || subLanguage == 0x1F;
}

}  // namespace

int GetOsLanguage() {
  const int language = platform::SystemInfo().SystemLanguage();
  const int primary = language & 0x3FF;
  if (primary == kPrimaryChinese && IsTraditionalChinese(language >> 10)) return kTraditionalChinese;
  return primary;
}

}  // namespace qel
