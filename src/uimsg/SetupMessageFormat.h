#pragma once
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

// The text of a UI message is built from a printf-style format that knows two conversions:
// "%s" takes a UTF-8 string, "%d" a signed and "%u" an unsigned 32-bit integer; "%%" is a percent
// sign. Any other
// conversion is copied as it stands and takes no argument, so a format from outside (a hook
// library) can never make the formatter read what was not passed for a string or a number.
namespace qel {

using SetupFormatArg = std::variant<std::string_view, std::int32_t, std::uint32_t>;

// A %s given a number shows the number; a %d given a text shows the text; a conversion without
// an argument shows nothing.
std::string FormatSetupText(std::string_view format, std::span<const SetupFormatArg> args);

// The C form behind the hook poster: %s reads a `const char*` (null shows as nothing), %d an int,
// %u an unsigned int.
std::string FormatSetupTextV(const char* format, std::va_list args);

namespace detail {

template <class T>
consteval char SetupConversionFor() {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    return '?';
  } else if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
    return 'd';
  } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
    return 's';
  } else {
    return '?';
  }
}

// Called only when a format does not match its arguments; being not constexpr, it turns the
// mismatch into a compile error at the call site.
void SetupFormatDoesNotMatchItsArguments();

inline SetupFormatArg ToSetupFormatArg(const char* text) {
  return std::string_view(text ? text : "");
}
template <class T>
SetupFormatArg ToSetupFormatArg(const T& value) {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_enum_v<U>) {
    return static_cast<std::int32_t>(static_cast<std::underlying_type_t<U>>(value));
  } else if constexpr (std::is_integral_v<U>) {
    return static_cast<std::int32_t>(value);
  } else {
    return std::string_view(value);
  }
}

}  // namespace detail

// A format checked at compile time against the types of its arguments: each %s must meet a
// string and each %d or %u an integer, and their number must match.
template <class... Args>
class SetupFormat {
 public:
  template <class T>
    requires std::convertible_to<const T&, std::string_view>
  consteval SetupFormat(const T& text)  // NOLINT: built implicitly from a literal
      : text_(text) {
    constexpr char kWanted[] = {detail::SetupConversionFor<Args>()..., '\0'};
    std::size_t used = 0;
    for (std::size_t i = 0; i + 1 < text_.size(); ++i) {
      if (text_[i] != '%') continue;
      const char conversion = text_[++i];
      if (conversion != 's' && conversion != 'd' && conversion != 'u') continue;
      const char wanted = conversion == 'u' ? 'd' : conversion;
      if (used >= sizeof...(Args) || kWanted[used] != wanted) {
        detail::SetupFormatDoesNotMatchItsArguments();
      }
      ++used;
    }
    if (used != sizeof...(Args)) detail::SetupFormatDoesNotMatchItsArguments();
  }

  std::string_view Text() const { return text_; }

 private:
  std::string_view text_;
};

template <class... Args>
std::string FormatSetupText(SetupFormat<std::type_identity_t<Args>...> format, const Args&... args) {
  const SetupFormatArg converted[] = {detail::ToSetupFormatArg(args)..., SetupFormatArg{0}};
  return FormatSetupText(format.Text(), std::span(converted, sizeof...(Args)));
}

}  // namespace qel
