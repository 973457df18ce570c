#include "messages/option_messages.h"

#include "engine/search/search_options.h"
#include "messages/wording.h"

namespace nuvelo {

std::string optionTakesNoValueText(const std::string& option) {
  return fill("オプション '{1}' は引数を取りません", {option});
}

std::string invalidShortOptionText(char letter) {
  return fill("不正なオプションです -- '{1}'", {std::string(1, letter)});
}

std::string ambiguousOptionText(const std::string& option, const std::string& candidates) {
  return fill("オプション '{1}' は曖昧です。候補: {2}", {option, candidates});
}

std::string unknownOptionText(const std::string& option) {
  return fill("認識できないオプションです '{1}'", {option});
}

std::string optionNeedsValueText(const std::string& option) {
  return fill("オプション '{1}' には引数が必要です", {option});
}

std::string noCommandText() {
  return std::string(wording("コマンドがありません (search または copy)"));
}

std::string unknownCommandText(const std::string& command) {
  return fill("不明なコマンドです: {1}", {command});
}

std::string oppositeOptionsText(const std::string& option) {
  return fill("{1} は反対の指定と同時に使えません", {option});
}

std::string exclusiveOptionsText(const std::string& first, const std::string& second) {
  return fill("{1} と {2} は同時に指定できません", {first, second});
}

std::string notADateText(const std::string& value) {
  return fill(
      "'{1}' は日付ではありません (YYYY-MM-DD, YYYY-MM-DDThh:mm[:ss][±hh:mm], "
      "3d, 12h, 2w, today, yesterday)",
      {value});
}

std::string overwriteValuesText() {
  return std::string(wording("--overwrite は always, ask, newer, never のどれかです"));
}

std::string formatValuesText() {
  return std::string(wording("--format は text, tsv, json のどれかです"));
}

std::string threadsValuesText() {
  return fill("--threads は 0 から {1} までの整数です", {std::to_string(MostThreads)});
}

std::string retriesValuesText() {
  return std::string(wording("--retries は 0 から 100 までの整数です"));
}

std::string retryWaitValuesText() {
  return std::string(
      wording("--retry-wait は 0 から 3600 までの秒数です (小数は 3 桁まで、例 0.5)"));
}

std::string linksValuesText() {
  return std::string(wording("--links は copy か skip です"));
}

std::string linesValuesText() {
  return std::string(wording("-n (--lines) は 0 から 1000000 までの数です"));
}

std::string pruneVersionsValuesText() {
  return std::string(wording("--prune-versions は 0 から 36500 までの日数です"));
}

std::string compareValuesText() {
  return std::string(wording("--compare に付けられるのは =contents だけです"));
}

std::string keepReplacedFolderMissingText() {
  return std::string(wording("--keep-replaced= のあとにフォルダを書いてください"));
}

std::string emptyNamePatternText() {
  return std::string(wording("--exclude-name に空のパターンは指定できません"));
}

std::string slashInNamePatternText(const std::string& pattern) {
  return fill(
      "--exclude-name {1}: ファイル名のパターンに / は使えません "
      "(フォルダのパスは --exclude-folder で除外します)",
      {pattern});
}

std::string slashInPatternFileText(const std::string& file, std::size_t line,
                                   const std::string& pattern) {
  return fill(
      "--exclude-from {1} の {2} 行目 {3}: ファイル名のパターンに / は使えません "
      "(フォルダのパスは --exclude-folder で除外します)",
      {file, std::to_string(line), pattern});
}

std::string unreadablePatternFileText(const std::string& file, const std::string& reason) {
  return fill("--exclude-from {1} を読めません: {2}", {file, reason});
}

std::string noFileText() {
  return std::string(wording("ファイルを指定してください"));
}

std::string noSourceFolderText() {
  return std::string(wording("検索元フォルダを指定してください"));
}

std::string tooManyArgumentsText(const std::string& argument) {
  return fill("引数が多すぎます: {1}", {argument});
}

std::string notForVersionsText(const std::string& option) {
  return fill("{1} は versions では使えません", {option});
}

std::string copyOnlyOptionText(const std::string& option) {
  return fill("{1} は copy だけのオプションです", {option});
}

std::string searchOnlyOptionText(const std::string& option) {
  return fill("{1} は search だけのオプションです", {option});
}

}  // namespace nuvelo
