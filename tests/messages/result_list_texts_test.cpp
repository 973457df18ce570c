#include "messages/result_list_texts.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

struct OpenCase {
  const char* name;
  std::error_code code;
  const char* text;
};

class OpenFailure : public ::testing::TestWithParam<OpenCase> {};

// The desktop's failures are told in the words of the program's own message for each; any
// other failure says that the file did not open.
TEST_P(OpenFailure, IsToldByItsCode) {
  EXPECT_EQ(openFailureText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, OpenFailure,
    ::testing::Values(
        OpenCase{"NoMemory", make_error_code(std::errc::not_enough_memory),
                 "メモリーが不足しています"},
        OpenCase{"NoFile", make_error_code(std::errc::no_such_file_or_directory),
                 "ファイルが見つかりません"},
        OpenCase{"NoFolder", make_error_code(std::errc::not_a_directory), "パスが見つかりません"},
        OpenCase{"NoApplication", make_error_code(std::errc::executable_format_error),
                 "関連づけされたアプリケーションが見つかりません"},
        OpenCase{"Other", make_error_code(std::errc::permission_denied), "起動できませんでした"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultColumns, AreCaptionedInTheirOrderAndNoFurther) {
  const char* const captions[] = {"",         "ファイル名", "サイズ", "ファイルの種類",
                                  "更新日時", "パス",       ""};
  for (int column = -1; column <= 5; ++column)
    EXPECT_EQ(resultColumnCaption(column), captions[column + 1]) << column;
}

}  // namespace
}  // namespace nuvelo
