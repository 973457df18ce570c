#include "messages/wording.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

struct FillCase {
  const char* name;
  const char* pattern;
  std::string text;
};

class Fill : public ::testing::TestWithParam<FillCase> {};

// Places are numbered, so a translation may order them differently; anything in braces that is
// no place of a value, and any value, is kept as it is.
TEST_P(Fill, PutsTheValuesAtTheirPlaces) {
  EXPECT_EQ(fill(GetParam().pattern, {"a{1}", "b"}), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Fill,
    ::testing::Values(FillCase{"InOrder", "{1} を {2} に", "a{1} を b に"},
                      FillCase{"Reordered", "to {2} from {1}", "to b from a{1}"},
                      FillCase{"Repeated", "{1}{1}", "a{1}a{1}"},
                      FillCase{"NoValueOfThatNumber", "{3} {0} {}", "{3} {0} {}"},
                      FillCase{"NotANumber", "{x} {1", "{x} {1"},
                      FillCase{"NoPlaces", "コピー元と同じファイルです",
                               "コピー元と同じファイルです"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
