#pragma once
#include <cstdint>

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

// Message-box styles and answers of the desktop.
inline constexpr std::uint32_t kBoxOk = 0x00;
inline constexpr std::uint32_t kBoxYesNo = 0x04;
inline constexpr std::uint32_t kBoxIconStop = 0x10;
inline constexpr std::uint32_t kBoxIconQuestion = 0x20;
inline constexpr std::uint32_t kBoxIconExclamation = 0x30;

inline constexpr int kAnswerNone = 0;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Item-start answer when a cancel was pending: the item does not run and counts as cancelled.
inline constexpr int kAnswerItemCancelled = 1602;

}  // namespace qel
