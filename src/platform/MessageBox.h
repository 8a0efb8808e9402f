#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Message boxes: a text, a caption and the desktop's style bits. Until the wizard host takes
// over (SetMessageBoxPresenter), a box is written to standard error and answered at once with
// its default button, so an unattended run never waits for a user who cannot see it.
namespace qel::platform {

// Style bits, as the desktop's boxes take them.
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbOkCancel = 0x1;
inline constexpr std::uint32_t kMbAbortRetryIgnore = 0x2;
inline constexpr std::uint32_t kMbYesNoCancel = 0x3;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbRetryCancel = 0x5;
inline constexpr std::uint32_t kMbButtonMask = 0xF;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr std::uint32_t kMbIconMask = 0xF0;
inline constexpr std::uint32_t kMbDefaultButton2 = 0x100;
inline constexpr std::uint32_t kMbDefaultButton3 = 0x200;
inline constexpr std::uint32_t kMbDefaultButtonMask = 0xF00;

// Answers: the id of the button chosen; 0 when the box could not be shown.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The buttons of a style, left to right; empty for a button code the desktop does not have.
std::vector<int> MessageBoxButtons(std::uint32_t style);
// The id of the default button: the first unless the default-button bits name another that the
// box has (the desktop falls back to the first, too); 0 for an unknown button code.
int DefaultButtonOf(std::uint32_t style);
// How a box reads on a console: caption, icon kind, text and buttons, the default one marked.
std::string DescribeMessageBox(const std::string& text, const std::string& caption, std::uint32_t style);

using MessageBoxPresenter =
    std::function<int(const std::string& text, const std::string& caption, std::uint32_t style)>;

// Shows a box through the current presenter and answers the button chosen. The default presenter
// writes DescribeMessageBox to standard error and answers DefaultButtonOf (0, with nothing
// written but the description, for an unknown button code).
int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style);
// The wizard host installs its own presenter here; an empty one brings back the default.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace qel::platform
