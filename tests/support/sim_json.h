// Just enough JSON to read chompo-sim traces back: objects, arrays, integer
// numbers, strings without escapes beyond \" and \\, true, false, null.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class JsonValue {
 public:
  enum class Type { Null, Bool, Number, String, Array, Object };

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::Null; }
  bool Has(const std::string& key) const;
  // A missing key or index gives a null value.
  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](std::size_t index) const;
  std::size_t size() const;  // array elements or object members
  std::int64_t Int() const;  // 0 unless a number or a bool
  const std::string& Str() const { return text_; }
  const std::map<std::string, JsonValue>& Members() const { return members_; }

  static std::optional<JsonValue> Parse(std::string_view text);

 private:
  friend class JsonParser;
  Type type_ = Type::Null;
  std::int64_t number_ = 0;
  std::string text_;
  std::vector<JsonValue> items_;
  std::map<std::string, JsonValue> members_;
};

}  // namespace testsupport
