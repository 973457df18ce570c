#include "messages/failure_reasons.h"

#include <cerrno>
#include <cstdint>
#include <iterator>

#include "engine/copy/copy_errors.h"
#include "messages/wording.h"

namespace nuvelo {
namespace {

// The reasons of the codes without details, in the order of CopyError.
constexpr const char* CopyErrorReasons[] = {
    catalogText("コピー先の外を指すパスです"),
    catalogText("コピー中にファイルが変更されました"),
    catalogText("検証に失敗しました"),
    catalogText("通常のファイルではありません"),
    catalogText("コピー先のファイルシステムはシンボリックリンクを保存できません"),
    catalogText("コピー先のファイルシステムでは使えない名前です"),
    catalogText("コピー先のファイルシステムには大きすぎるファイルです"),
    catalogText("コピー先で同じ名前になります"),
};

// The system's reasons in the program's words, so that a message reads in one language
// whatever the locale's C library would have said.
struct SystemReason {
  int value;
  const char* text;
};

constexpr SystemReason SystemReasons[] = {
    {EPERM, catalogText("操作が許可されていません")},
    {ENOENT, catalogText("ファイルまたはフォルダがありません")},
    {EIO, catalogText("入出力エラーが発生しました")},
    {ENXIO, catalogText("デバイスがありません")},
    {EBADF, catalogText("ファイルの参照が正しくありません")},
    {EAGAIN, catalogText("一時的に使用できません")},
    {ENOMEM, catalogText("メモリーが不足しています")},
    {EACCES, catalogText("アクセスが拒否されました")},
    {EBUSY, catalogText("使用中です")},
    {EEXIST, catalogText("同じ名前がすでにあります")},
    {EXDEV, catalogText("別のファイルシステムをまたぐ操作はできません")},
    {ENODEV, catalogText("デバイスがありません")},
    {ENOTDIR, catalogText("フォルダではありません")},
    {EISDIR, catalogText("フォルダです")},
    {EINVAL, catalogText("引数が正しくありません")},
    {ENFILE, catalogText("システムで開いているファイルが多すぎます")},
    {EMFILE, catalogText("開いているファイルが多すぎます")},
    {ETXTBSY, catalogText("実行中のファイルです")},
    {EFBIG, catalogText("ファイルが大きすぎます")},
    {ENOSPC, catalogText("ディスクの空き容量が足りません")},
    {EROFS, catalogText("読み取り専用のファイルシステムです")},
    {EMLINK, catalogText("リンクが多すぎます")},
    {ENAMETOOLONG, catalogText("名前が長すぎます")},
    {ENOSYS, catalogText("この機能はありません")},
    {ENOTEMPTY, catalogText("フォルダが空ではありません")},
    {ELOOP, catalogText("シンボリックリンクの段数が多すぎます")},
    {EOPNOTSUPP, catalogText("この操作はサポートされていません")},
    {ECONNRESET, catalogText("接続が切れました")},
    {ENOTCONN, catalogText("接続されていません")},
    {ETIMEDOUT, catalogText("時間切れになりました")},
    {EHOSTDOWN, catalogText("相手のホストが停止しています")},
    {EHOSTUNREACH, catalogText("相手のホストに届きません")},
    {ESTALE, catalogText("ネットワーク上のファイルの参照が古くなりました")},
    {EDQUOT, catalogText("ディスクの使用量の制限を超えました")},
    {ECANCELED, catalogText("操作が取り消されました")},
    {EINTR, catalogText("操作が中断されました")},
};

std::string systemReasonText(int value) {
  for (const SystemReason& reason : SystemReasons)
    if (reason.value == value) return std::string(wording(reason.text));
  return fill("システムのエラーです (エラー番号 {1})", {std::to_string(value)});
}

std::string_view whatTheNameHas(const NameRefusal& refusal) {
  using Why = NameRefusal::Why;
  switch (refusal.why) {
    case Why::NotAscii:
      return wording("ASCII 以外の文字");
    case Why::TooLong:
      return wording("長すぎます");
    case Why::RefusedCharacter:
      return {&refusal.character, 1};
    case Why::ControlCharacter:
      return wording("制御文字");
    case Why::TrailingDotOrSpace:
      return wording("末尾の点または空白");
    case Why::ReservedName:
      return wording("予約された名前");
    case Why::NotUtf8:
      return wording("UTF-8 でない名前");
  }
  return {};
}

// "4 GiB" for a whole number of gibibytes, else the bytes.
std::string limitText(std::uint64_t limit) {
  if (limit % (std::uint64_t{1} << 30) == 0) return std::to_string(limit >> 30) + " GiB";
  return fill("{1} バイト", {std::to_string(limit)});
}

}  // namespace

std::string reasonText(std::error_code code) {
  if (code.category() != copyErrorCategory()) return systemReasonText(code.value());
  const int value = code.value();
  if (value < 1 || value > static_cast<int>(std::size(CopyErrorReasons))) return code.message();
  return std::string(wording(CopyErrorReasons[value - 1]));
}

std::string reasonText(const CopyFailure& failure) {
  if (const auto* name = std::get_if<NameRefusal>(&failure.detail)) return nameRefusalText(*name);
  if (const auto* size = std::get_if<SizeRefusal>(&failure.detail)) return sizeRefusalText(*size);
  if (const auto* clash = std::get_if<NameClash>(&failure.detail)) return nameClashText(*clash);
  if (std::holds_alternative<VersionNotKept>(failure.detail))
    return fill("置き換えるファイルを残せないため、置き換えませんでした ({1})",
                {reasonText(failure.code)});
  return reasonText(failure.code);
}

std::string nameRefusalText(const NameRefusal& refusal) {
  return fill("コピー先のファイルシステムでは使えない名前です ({1})", {whatTheNameHas(refusal)});
}

std::string sizeRefusalText(const SizeRefusal& refusal) {
  return fill("コピー先のファイルシステム ({1}) には大きすぎるファイルです ({2} 未満まで)",
              {refusal.fileSystem, limitText(refusal.limit)});
}

std::string nameClashText(const NameClash& clash) {
  if (clash.fromThisRun)
    return fill("コピー先で {1} と同じ名前になります ({2} は大文字と小文字を区別しません)",
                {clash.namesake, clash.fileSystem});
  return fill("コピー先の {1} と同じ名前になります ({2} は大文字と小文字を区別しません)",
              {clash.namesake, clash.fileSystem});
}

}  // namespace nuvelo
