#pragma once
// Reads one line of JSON that holds a flat object, as the run log writes it: strings, numbers,
// true, false, null and arrays of strings. A line that is not such an object in strict JSON (a
// torn line, a foreign one) is refused whole, never half read.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvelo {

struct JsonMember {
  enum class Kind { String, Number, Bool, Null, Strings };
  Kind kind = Kind::Null;
  std::string text;                // a string decoded to UTF-8; a number or true/false as written
  std::vector<std::string> items;  // an array's strings, decoded
};

using JsonObject = std::map<std::string, JsonMember, std::less<>>;

std::optional<JsonObject> readJsonObject(std::string_view line);

// A member that is a string; nothing when it is missing or something else.
std::optional<std::string> jsonStringMember(const JsonObject& object, std::string_view key);
// A member that is a whole number of at least 0 that fits 64 bits.
std::optional<std::uint64_t> jsonCountMember(const JsonObject& object, std::string_view key);

}  // namespace nuvelo
