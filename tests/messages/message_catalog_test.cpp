// The catalog built into nuvelo-cli is read from its bytes; damaged bytes give no catalog and
// never a read outside them.

#include "messages/message_catalog.h"

#include <gtest/gtest.h>

#include <string>

#include "messages/english_catalog.h"

namespace nuvelo {
namespace {

TEST(MessageCatalog, TranslatesTheProgramsTexts) {
  const auto catalog = MessageCatalog::read(englishCatalogBytes());
  ASSERT_TRUE(catalog);
  EXPECT_GT(catalog->size(), 100u);
  EXPECT_EQ(catalog->find("詳しくは nuvelo-cli --help"),
            std::optional<std::string_view>("Try nuvelo-cli --help for more."));
  EXPECT_FALSE(catalog->find("この文はカタログにありません"));
  EXPECT_FALSE(catalog->find("")) << "the catalog's header is no translation";
}

TEST(MessageCatalog, RefusesDamagedBytes) {
  const std::string whole(englishCatalogBytes());
  // Cut inside the header, inside the tables and inside the strings.
  for (const std::size_t length :
       {std::size_t{0}, std::size_t{3}, std::size_t{19}, std::size_t{40}, whole.size() / 2})
    EXPECT_FALSE(MessageCatalog::read(std::string_view(whole).substr(0, length))) << length;
  std::string wrongMagic = whole;
  wrongMagic[0] = 'x';
  EXPECT_FALSE(MessageCatalog::read(wrongMagic));
  std::string hugeCount = whole;
  hugeCount[11] = '\x7f';
  EXPECT_FALSE(MessageCatalog::read(hugeCount));
}

}  // namespace
}  // namespace nuvelo
