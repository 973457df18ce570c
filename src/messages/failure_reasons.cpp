#include "messages/failure_reasons.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
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

// Every errno value a copy, a walk of folders or a network share can give, in the order of
// their numbers; the rest are named by their symbols.
constexpr SystemReason SystemReasons[] = {
    {EPERM, catalogText("操作が許可されていません")},
    {ENOENT, catalogText("ファイルまたはフォルダがありません")},
    {EINTR, catalogText("操作が中断されました")},
    {EIO, catalogText("入出力エラーが発生しました")},
    {ENXIO, catalogText("デバイスまたはアドレスがありません")},
    {E2BIG, catalogText("引数または属性が大きすぎます")},
    {EBADF, catalogText("ファイルの参照が正しくありません")},
    {EAGAIN, catalogText("一時的に使用できません")},
    {ENOMEM, catalogText("メモリーが不足しています")},
    {EACCES, catalogText("アクセスが拒否されました")},
    {EFAULT, catalogText("不正なアドレスです")},
    {EBUSY, catalogText("使用中です")},
    {EEXIST, catalogText("同じ名前がすでにあります")},
    {EXDEV, catalogText("別のファイルシステムをまたぐ操作はできません")},
    {ENODEV, catalogText("デバイスがありません")},
    {ENOTDIR, catalogText("フォルダではありません")},
    {EISDIR, catalogText("フォルダです")},
    {EINVAL, catalogText("引数が正しくありません")},
    {ENFILE, catalogText("システムで開いているファイルが多すぎます")},
    {EMFILE, catalogText("開いているファイルが多すぎます")},
    {ENOTTY, catalogText("この種類のファイルにはできない操作です")},
    {ETXTBSY, catalogText("実行中のファイルです")},
    {EFBIG, catalogText("ファイルが大きすぎます")},
    {ENOSPC, catalogText("ディスクの空き容量が足りません")},
    {ESPIPE, catalogText("位置を指定して読み書きできないファイルです")},
    {EROFS, catalogText("読み取り専用のファイルシステムです")},
    {EMLINK, catalogText("リンクが多すぎます")},
    {EPIPE, catalogText("書き込み先が閉じられました")},
    {ERANGE, catalogText("値が範囲を超えています")},
    {EDEADLK, catalogText("ロックを待つとデッドロックになります")},
    {ENAMETOOLONG, catalogText("名前が長すぎます")},
    {ENOLCK, catalogText("ロックを取れません")},
    {ENOSYS, catalogText("この機能はありません")},
    {ENOTEMPTY, catalogText("フォルダが空ではありません")},
    {ELOOP, catalogText("シンボリックリンクの段数が多すぎます")},
    {ENODATA, catalogText("データまたは拡張属性がありません")},
    {ETIME, catalogText("待ち時間を過ぎました")},
    {ENONET, catalogText("ネットワークにつながっていません")},
    {EREMOTE, catalogText("リモートにあるオブジェクトです")},
    {ENOLINK, catalogText("通信の経路が切れました")},
    {ECOMM, catalogText("送信中に通信エラーが発生しました")},
    {EPROTO, catalogText("通信プロトコルのエラーです")},
    {EMULTIHOP, catalogText("複数のホストをまたぐ操作はできません")},
    {EBADMSG, catalogText("不正なデータを受け取りました")},
    {EOVERFLOW, catalogText("大きさや番号が扱える範囲を超えています")},
    {ENOTUNIQ, catalogText("ネットワーク上で名前が一意ではありません")},
    {EBADFD, catalogText("ファイルの参照が不正な状態です")},
    {EREMCHG, catalogText("相手のアドレスが変わりました")},
    {EILSEQ, catalogText("ファイルシステムの文字コードで表せない文字があります")},
    {EUSERS, catalogText("利用者が多すぎます")},
    {EOPNOTSUPP, catalogText("この操作はサポートされていません")},
    {ENETDOWN, catalogText("ネットワークが停止しています")},
    {ENETUNREACH, catalogText("ネットワークに届きません")},
    {ENETRESET, catalogText("ネットワークが接続を切りました")},
    {ECONNABORTED, catalogText("接続が中止されました")},
    {ECONNRESET, catalogText("接続が切れました")},
    {ENOBUFS, catalogText("通信用のバッファーが足りません")},
    {ENOTCONN, catalogText("接続されていません")},
    {ESHUTDOWN, catalogText("接続が閉じられたため送信できません")},
    {ETIMEDOUT, catalogText("時間切れになりました")},
    {ECONNREFUSED, catalogText("接続を拒否されました")},
    {EHOSTDOWN, catalogText("相手のホストが停止しています")},
    {EHOSTUNREACH, catalogText("相手のホストに届きません")},
    {EINPROGRESS, catalogText("操作はまだ実行中です")},
    {ESTALE, catalogText("ネットワーク上のファイルの参照が古くなりました")},
    {EUCLEAN, catalogText("ファイルシステムが壊れています (修復が必要です)")},
    {EREMOTEIO, catalogText("相手側で入出力エラーが発生しました")},
    {EDQUOT, catalogText("ディスクの使用量の制限を超えました")},
    {ENOMEDIUM, catalogText("メディアが入っていません")},
    {EMEDIUMTYPE, catalogText("メディアの種類が違います")},
    {ECANCELED, catalogText("操作が取り消されました")},
    {ENOKEY, catalogText("必要な鍵がありません (暗号化されたフォルダ)")},
    {EKEYEXPIRED, catalogText("鍵 (認証チケット) の期限が切れました")},
    {EKEYREVOKED, catalogText("鍵が取り消されました")},
    {EKEYREJECTED, catalogText("鍵が拒否されました")},
    {EHWPOISON, catalogText("メモリーのハードウェアエラーが発生しました")},
};

// The errno value's symbol ("EDOM"), or, for a value the C library does not know, "errno "
// and its number.
std::string errnoName(int value) {
  if (const char* name = strerrorname_np(value)) return name;
  return "errno " + std::to_string(value);
}

std::string systemReasonText(int value) {
  for (const SystemReason& reason : SystemReasons)
    if (reason.value == value) return std::string(wording(reason.text));
  return fill("システムのエラーです ({1})", {errnoName(value)});
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
