#include "platform/linux/installer/ConditionEvaluator.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/TextCase.h"

namespace qel::platform::installer {
namespace {

// An operand: its text, and whether it reads as an integer.
struct Value {
  std::string text;
  std::optional<long long> number;
  bool literal = false;  // a quoted string keeps integer-looking text a string
};

std::optional<long long> AsInteger(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::size_t i = (text[0] == '-') ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  for (std::size_t k = i; k < text.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(text[k]))) return std::nullopt;
  return std::strtoll(text.c_str(), nullptr, 10);
}

bool IsIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
         static_cast<unsigned char>(c) >= 0x80;
}

class Parser {
 public:
  Parser(std::string_view text, const ConditionContext& context) : text_(text), context_(context) {}

  std::optional<bool> Run() {
    SkipBlanks();
    if (AtEnd()) return true;
    auto result = Imp();
    SkipBlanks();
    if (!result || !AtEnd()) return std::nullopt;
    return result;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  void SkipBlanks() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  // Matches a keyword as a whole word, without regard to case.
  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (!EqualsNoCase(text_.substr(pos_, word.size()), word)) return false;
    std::size_t end = pos_ + word.size();
    if (end < text_.size() && IsIdentifierChar(text_[end])) return false;
    pos_ = end;
    return true;
  }

  // One level of left-associative logical operators: operands of the next tighter level joined
  // by `keyword`.
  template <typename Operand, typename Combine>
  std::optional<bool> Chain(Operand operand, const char* keyword, Combine combine) {
    auto left = (this->*operand)();
    while (left && Keyword(keyword)) {
      auto right = (this->*operand)();
      if (!right) return std::nullopt;
      left = combine(*left, *right);
    }
    return left;
  }
  std::optional<bool> Imp() { return Chain(&Parser::Eqv, "IMP", [](bool l, bool r) { return !l || r; }); }
  std::optional<bool> Eqv() { return Chain(&Parser::Xor, "EQV", [](bool l, bool r) { return l == r; }); }
  std::optional<bool> Xor() { return Chain(&Parser::Or, "XOR", [](bool l, bool r) { return l != r; }); }
  std::optional<bool> Or() { return Chain(&Parser::And, "OR", [](bool l, bool r) { return l || r; }); }
  std::optional<bool> And() { return Chain(&Parser::Not, "AND", [](bool l, bool r) { return l && r; }); }
  std::optional<bool> Not() {
    if (Keyword("NOT")) {
      auto inner = Not();
      if (!inner) return std::nullopt;
      return !*inner;
    }
    return Comparison();
  }

  std::optional<bool> Comparison() {
    SkipBlanks();
    if (!AtEnd() && text_[pos_] == '(') {
      ++pos_;
      auto inner = Imp();
      SkipBlanks();
      if (!inner || AtEnd() || text_[pos_] != ')') return std::nullopt;
      ++pos_;
      return inner;
    }
    auto left = Operand();
    if (!left) return std::nullopt;
    std::string op = Operator();
    if (op.empty()) return Truth(*left);
    auto right = Operand();
    if (!right) return std::nullopt;
    return Compare(*left, op, *right);
  }

  static bool Truth(const Value& value) {
    if (value.number && !value.literal) return *value.number != 0;
    return !value.text.empty();
  }

  std::string Operator() {
    SkipBlanks();
    std::string op;
    if (!AtEnd() && text_[pos_] == '~') {
      op = "~";
      ++pos_;
    }
    static const char* const kOperators[] = {"<>", ">=", "<=", "><", "<<", ">>", "=", "<", ">"};
    for (const char* candidate : kOperators) {
      std::string_view c(candidate);
      if (text_.substr(pos_, c.size()) == c) {
        pos_ += c.size();
        return op + std::string(c);
      }
    }
    if (!op.empty()) --pos_;
    return {};
  }

  std::optional<Value> Operand() {
    SkipBlanks();
    if (AtEnd()) return std::nullopt;
    char c = text_[pos_];
    if (c == '"') {
      std::size_t end = text_.find('"', pos_ + 1);
      if (end == std::string_view::npos) return std::nullopt;
      Value value{std::string(text_.substr(pos_ + 1, end - pos_ - 1)), std::nullopt, true};
      pos_ = end + 1;
      return value;
    }
    if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
      std::size_t start = pos_++;
      while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      std::string digits(text_.substr(start, pos_ - start));
      auto number = AsInteger(digits);
      if (!number) return std::nullopt;
      return Value{digits, number, false};
    }
    char prefix = 0;
    if (c == '%' || c == '$' || c == '?' || c == '&' || c == '!') {
      prefix = c;
      ++pos_;
    }
    std::size_t start = pos_;
    while (!AtEnd() && IsIdentifierChar(text_[pos_])) ++pos_;
    if (start == pos_) return std::nullopt;
    std::string name(text_.substr(start, pos_ - start));
    if (prefix == '%') {
      const char* env = std::getenv(name.c_str());
      std::string text = env ? env : "";
      return Value{text, AsInteger(text), false};
    }
    // Operators are no property names: "AND" alone is a syntax error, not an empty property.
    for (const char* keyword : {"AND", "OR", "NOT", "XOR", "EQV", "IMP"})
      if (prefix == 0 && EqualsNoCase(name, keyword)) return std::nullopt;
    if (prefix != 0) {
      int state = context_.state ? context_.state(prefix, name) : -1;
      return Value{std::to_string(state), state, false};
    }
    std::string text = context_.property ? context_.property(name) : std::string();
    return Value{text, AsInteger(text), false};
  }

  static bool Compare(const Value& left, const std::string& op, const Value& right) {
    bool noCase = !op.empty() && op[0] == '~';
    std::string bare = noCase ? op.substr(1) : op;
    bool numeric = left.number && right.number && !left.literal && !right.literal;
    if (numeric) {
      long long a = *left.number, b = *right.number;
      if (bare == "=") return a == b;
      if (bare == "<>") return a != b;
      if (bare == "<") return a < b;
      if (bare == ">") return a > b;
      if (bare == "<=") return a <= b;
      if (bare == ">=") return a >= b;
      if (bare == "><") return (a & b) != 0;
      if (bare == "<<") return ((a >> 16) & 0xFFFF) == b;
      if (bare == ">>") return (a & 0xFFFF) == b;
      return false;
    }
    std::string a = noCase ? ToLower(left.text) : left.text;
    std::string b = noCase ? ToLower(right.text) : right.text;
    if (bare == "=") return a == b;
    if (bare == "<>") return a != b;
    if (bare == "<") return a < b;
    if (bare == ">") return a > b;
    if (bare == "<=") return a <= b;
    if (bare == ">=") return a >= b;
    if (bare == "><") return a.find(b) != std::string::npos;
    if (bare == "<<") return a.rfind(b, 0) == 0;
    if (bare == ">>") return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
    return false;
  }

  std::string_view text_;
  const ConditionContext& context_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<bool> EvaluateCondition(std::string_view condition, const ConditionContext& context) {
  return Parser(condition, context).Run();
}

}  // namespace qel::platform::installer
