#include "support/sim_json.h"

#include <cctype>

namespace testsupport {

namespace {
const JsonValue kNull;
}

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  bool ParseDocument(JsonValue& value) {
    if (!ParseValue(value, 0)) {
      return false;
    }
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  static constexpr int kMaxDepth = 32;

  void SkipSpace() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])) != 0) {
      ++at_;
    }
  }

  bool Eat(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) == word) {
      at_ += word.size();
      return true;
    }
    return false;
  }

  bool ParseString(std::string& out) {
    if (!Eat('"')) {
      return false;
    }
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') {
        return true;
      }
      if (c == '\\') {
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\\')) {
          return false;
        }
        out += text_[at_++];
      } else {
        out += c;
      }
    }
    return false;
  }

  bool ParseNumber(JsonValue& value) {
    bool negative = false;
    if (at_ < text_.size() && text_[at_] == '-') {
      negative = true;
      ++at_;
    }
    const std::size_t start = at_;
    std::int64_t number = 0;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) != 0) {
      number = number * 10 + (text_[at_++] - '0');
      if (number > (std::int64_t{1} << 40)) {
        return false;
      }
    }
    if (at_ == start) {
      return false;
    }
    value.type_ = JsonValue::Type::Number;
    value.number_ = negative ? -number : number;
    return true;
  }

  bool ParseValue(JsonValue& value, int depth) {
    if (depth > kMaxDepth) {
      return false;
    }
    SkipSpace();
    if (at_ >= text_.size()) {
      return false;
    }
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      value.type_ = JsonValue::Type::Object;
      if (Eat('}')) {
        return true;
      }
      do {
        std::string key;
        JsonValue member;
        if (!ParseString(key) || !Eat(':') || !ParseValue(member, depth + 1)) {
          return false;
        }
        value.members_[key] = std::move(member);
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++at_;
      value.type_ = JsonValue::Type::Array;
      if (Eat(']')) {
        return true;
      }
      do {
        JsonValue item;
        if (!ParseValue(item, depth + 1)) {
          return false;
        }
        value.items_.push_back(std::move(item));
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') {
      value.type_ = JsonValue::Type::String;
      return ParseString(value.text_);
    }
    if (Word("null")) {
      value.type_ = JsonValue::Type::Null;
      return true;
    }
    if (Word("true")) {
      value.type_ = JsonValue::Type::Bool;
      value.number_ = 1;
      return true;
    }
    if (Word("false")) {
      value.type_ = JsonValue::Type::Bool;
      return true;
    }
    return ParseNumber(value);
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

bool JsonValue::Has(const std::string& key) const { return members_.count(key) != 0; }

const JsonValue& JsonValue::operator[](const std::string& key) const {
  const auto found = members_.find(key);
  return found == members_.end() ? kNull : found->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
  return index < items_.size() ? items_[index] : kNull;
}

std::size_t JsonValue::size() const { return type_ == Type::Array ? items_.size() : members_.size(); }

std::int64_t JsonValue::Int() const {
  return type_ == Type::Number || type_ == Type::Bool ? number_ : 0;
}

std::optional<JsonValue> JsonValue::Parse(std::string_view text) {
  JsonValue value;
  JsonParser parser(text);
  if (!parser.ParseDocument(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace testsupport
