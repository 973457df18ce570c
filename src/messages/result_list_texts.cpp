#include "messages/result_list_texts.h"

#include <iterator>

#include "messages/wording.h"

namespace nuvelo {
namespace {

const char* const ColumnCaptions[] = {catalogText("ファイル名"), catalogText("サイズ"),
                                      catalogText("ファイルの種類"), catalogText("更新日時"),
                                      catalogText("パス")};

}  // namespace

std::string resultColumnCaption(int column) {
  if (column < 0 || column >= static_cast<int>(std::size(ColumnCaptions))) return {};
  return std::string(wording(ColumnCaptions[column]));
}

std::string openFailureText(std::error_code code) {
  if (code == std::errc::not_enough_memory) return std::string(wording("メモリーが不足しています"));
  if (code == std::errc::no_such_file_or_directory)
    return std::string(wording("ファイルが見つかりません"));
  if (code == std::errc::not_a_directory) return std::string(wording("パスが見つかりません"));
  if (code == std::errc::executable_format_error)
    return std::string(wording("関連づけされたアプリケーションが見つかりません"));
  return std::string(wording("起動できませんでした"));
}

}  // namespace nuvelo
