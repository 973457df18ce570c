#include "engine/settings/comma_text.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

using Items = std::vector<std::string>;

struct EncodeCase {
  Items items;
  std::string text;
};

class CommaTextEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(CommaTextEncode, WritesAndReadsBack) {
  EXPECT_EQ(toCommaText(GetParam().items), GetParam().text);
  EXPECT_EQ(fromCommaText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CommaTextEncode,
    ::testing::Values(EncodeCase{{}, ""}, EncodeCase{{""}, "\"\""}, EncodeCase{{"bak"}, "bak"},
                      EncodeCase{{"bak", "tmp"}, "bak,tmp"}, EncodeCase{{"a b"}, "\"a b\""},
                      EncodeCase{{"\\My Docs"}, "\"\\My Docs\""},
                      EncodeCase{{"\\My Docs", "x", "\\Other Docs"},
                                 "\"\\My Docs\",x,\"\\Other Docs\""},
                      EncodeCase{{"say \"hi\""}, "\"say \"\"hi\"\"\""},
                      EncodeCase{{"a,b"}, "\"a,b\""}, EncodeCase{{"tab\there"}, "\"tab\there\""},
                      EncodeCase{{"a", ""}, "a,"}, EncodeCase{{"", "a"}, ",a"},
                      EncodeCase{{"a", "", "b"}, "a,,b"},
                      EncodeCase{{"表", "データ"}, "表,データ"}));

struct DecodeCase {
  std::string text;
  Items items;
};

class CommaTextDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(CommaTextDecode, Reads) {
  EXPECT_EQ(fromCommaText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Texts, CommaTextDecode,
                         ::testing::Values(DecodeCase{"bak, tmp", {"bak", "tmp"}},
                                           DecodeCase{"  bak  ,tmp  ", {"bak", "tmp"}},
                                           DecodeCase{"a b", {"a", "b"}}, DecodeCase{"a, ", {"a"}},
                                           DecodeCase{"\"unclosed", {"unclosed"}},
                                           DecodeCase{"\"a\"b,c", {"a", "b", "c"}},
                                           DecodeCase{"   ", {}},
                                           DecodeCase{std::string("a\0b", 3), {"a"}},
                                           DecodeCase{"\"\",\"\"", {"", ""}}));

}  // namespace
}  // namespace nuvelo
