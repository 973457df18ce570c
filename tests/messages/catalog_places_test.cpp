// The English catalog's translations keep every value of their texts: a translation that
// lost or renumbered a place {n} would drop a path or a count from what the user reads.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace nuvelo {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::uint32_t wordAt(const std::string& data, std::size_t at) {
  std::uint32_t word = 0;
  if (at + sizeof word <= data.size()) std::memcpy(&word, data.data() + at, sizeof word);
  return word;
}

// The string of the table entry `index` of a compiled catalog (length, then offset).
std::string tableString(const std::string& data, std::uint32_t table, std::uint32_t index) {
  const std::uint32_t length = wordAt(data, table + index * 8);
  const std::uint32_t offset = wordAt(data, table + index * 8 + 4);
  if (offset > data.size() || length > data.size() - offset) return {};
  return data.substr(offset, length);
}

// The texts and translations of a catalog compiled by msgfmt (a .mo file, in this machine's
// byte order); nothing when the file is no catalog.
Entries catalogEntries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (wordAt(data, 0) != 0x950412de) return {};
  const std::uint32_t count = wordAt(data, 8);
  const std::uint32_t originals = wordAt(data, 12);
  const std::uint32_t translations = wordAt(data, 16);
  Entries entries;
  for (std::uint32_t i = 0; i < count; ++i)
    entries.emplace_back(tableString(data, originals, i), tableString(data, translations, i));
  return entries;
}

// The places "{1}", "{2}", ... that a text has.
std::set<std::string> placesOf(const std::string& text) {
  std::set<std::string> places;
  for (std::size_t open = text.find('{'); open != std::string::npos;
       open = text.find('{', open + 1)) {
    std::size_t end = open + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end > open + 1 && end < text.size() && text[end] == '}')
      places.insert(text.substr(open, end + 1 - open));
  }
  return places;
}

struct PlacesCase {
  const char* name;
  const char* text;
  std::set<std::string> places;
};

class PlacesOfAText : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(PlacesOfAText, AreTheNumberedBraces) {
  EXPECT_EQ(placesOf(GetParam().text), GetParam().places);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlacesOfAText,
    ::testing::Values(PlacesCase{"None", "コピー中です", {}},
                      PlacesCase{"Two", "{1} と {2} は同時に指定できません", {"{1}", "{2}"}},
                      PlacesCase{"Repeated", "{1}{1}", {"{1}"}},
                      PlacesCase{"NotNumbers", "{x} {} {1", {}},
                      PlacesCase{"BraceOfAPlace", "{{2}}", {"{2}"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Catalog, TranslationsKeepEveryPlace) {
  const Entries entries = catalogEntries(NUVELO_CATALOG_DIR "/en/LC_MESSAGES/nuvelo.mo");
  ASSERT_GT(entries.size(), 100u) << "no compiled catalog under " NUVELO_CATALOG_DIR;
  for (const auto& [text, translation] : entries) {
    if (text.empty()) continue;  // the catalog's header
    EXPECT_EQ(placesOf(translation), placesOf(text)) << text << "\n -> " << translation;
  }
}

}  // namespace
}  // namespace nuvelo
