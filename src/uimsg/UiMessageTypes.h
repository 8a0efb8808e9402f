#pragma once
#include <cstdint>

#include "platform/MessageBox.h"

// The type word of a UI message: the kind in the top byte, message-box style bits below it (only
// the box kinds read them). The installer's public kinds come first; 0x92 to 0x96 are the
// launcher's own and never reach the installer service.
namespace qel {

inline constexpr std::uint32_t kUiMessageKindMask = 0xFF000000;
inline constexpr std::uint32_t kUiMessageStyleMask = 0x00FFFFFF;

inline constexpr std::uint32_t INSTALLMESSAGE_FATALEXIT = 0x00000000;
inline constexpr std::uint32_t INSTALLMESSAGE_ERROR = 0x01000000;
inline constexpr std::uint32_t INSTALLMESSAGE_WARNING = 0x02000000;
inline constexpr std::uint32_t INSTALLMESSAGE_USER = 0x03000000;
inline constexpr std::uint32_t INSTALLMESSAGE_INFO = 0x04000000;
inline constexpr std::uint32_t INSTALLMESSAGE_FILESINUSE = 0x05000000;
inline constexpr std::uint32_t INSTALLMESSAGE_RESOLVESOURCE = 0x06000000;
inline constexpr std::uint32_t INSTALLMESSAGE_OUTOFDISKSPACE = 0x07000000;
inline constexpr std::uint32_t INSTALLMESSAGE_ACTIONSTART = 0x08000000;
inline constexpr std::uint32_t INSTALLMESSAGE_ACTIONDATA = 0x09000000;
inline constexpr std::uint32_t INSTALLMESSAGE_PROGRESS = 0x0A000000;
inline constexpr std::uint32_t INSTALLMESSAGE_COMMONDATA = 0x0B000000;
inline constexpr std::uint32_t INSTALLMESSAGE_INITIALIZE = 0x0C000000;
inline constexpr std::uint32_t INSTALLMESSAGE_TERMINATE = 0x0D000000;
inline constexpr std::uint32_t INSTALLMESSAGE_SHOWDIALOG = 0x0E000000;

inline constexpr std::uint32_t SETUPMESSAGE_CHAINSTART = 0x92000000;
inline constexpr std::uint32_t SETUPMESSAGE_ITEMSTART = 0x93000000;
inline constexpr std::uint32_t SETUPMESSAGE_ITEMEND = 0x94000000;
inline constexpr std::uint32_t SETUPMESSAGE_CHAINEND = 0x95000000;
inline constexpr std::uint32_t SETUPMESSAGE_CANCEL = 0x96000000;

// Message-box styles and answers, in the handler's words for the platform's values.
inline constexpr std::uint32_t kBoxOk = platform::kMbOk;
inline constexpr std::uint32_t kBoxYesNo = platform::kMbYesNo;
inline constexpr std::uint32_t kBoxIconStop = platform::kMbIconError;
inline constexpr std::uint32_t kBoxIconQuestion = platform::kMbIconQuestion;
inline constexpr std::uint32_t kBoxIconExclamation = platform::kMbIconWarning;

inline constexpr int kAnswerNone = 0;
inline constexpr int kAnswerOk = platform::kIdOk;
inline constexpr int kAnswerCancel = platform::kIdCancel;
inline constexpr int kAnswerAbort = platform::kIdAbort;
inline constexpr int kAnswerYes = platform::kIdYes;
inline constexpr int kAnswerNo = platform::kIdNo;

// Item-start answer when a cancel was pending: the item does not run and counts as cancelled.
inline constexpr int kAnswerItemCancelled = 1602;

}  // namespace qel
