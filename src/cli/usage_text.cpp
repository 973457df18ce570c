// nuvelo-cli --help: every option, in the program's words (the catalog gives the English).

#include "cli/cli_options.h"
#include "messages/wording.h"

namespace nuvelo {

std::string usageText() {
  return std::string(wording(R"(使い方:
  nuvelo-cli search [OPTIONS] SOURCE
  nuvelo-cli copy   [OPTIONS] SOURCE DEST

検索:
  --since WHEN           この時以降に更新されたもの (既定: 今日)。WHEN は YYYY-MM-DD、
                         YYYY-MM-DDThh:mm[:ss][Z|±hh:mm]、今からさかのぼる 30m 12h 3d 2w、
                         today、yesterday
  --since-last           このジョブ (条件ファイル、または SOURCE と DEST) が前回コピーした日以降
                         (設定ファイルの [Jobs]; まだなければ [Default] の LastCopyDate)
  --subfolders | --no-subfolders   下位フォルダも対象とするか
                         (既定: 条件ファイルの CBKai、なければ設定ファイルの DirKAI)
  --exclude-folder DIR   除外するサブフォルダ (SOURCE より下の部分、例 tmp, old/tmp; 繰り返し可)
  --exclude-ext EXT      除外する拡張子 (bak, .bak, '*.bak'; 繰り返し可; 既定: 設定ファイルの EscExt)
                         何も除外しなかった指定は標準エラーで知らせる
  --per-folder | --no-per-folder   フォルダ単位で処理するか (既定: 設定ファイルの PickupFolder)
  --format text|tsv|json 検索結果の形式 (search のみ; 既定: text)
                         tsv は名前の中のタブ・改行・復帰・\ を \t \n \r \\ と書く
                         json は 1 行に 1 つのオブジェクト (JSON Lines)。UTF-8 でないパスは
                         path_bytes と absolute_bytes にバイト列も書く
  -0, --print0           見つかったものの絶対パスを NUL で区切って書く (xargs -0 用)

コピー:
  --relative | --absolute          パスの作り方 (既定: 設定ファイルの DirAbs)
  --drive-letter | --no-drive-letter   (既定: 設定ファイルの AddDriveLetter)
  --overwrite always|ask|newer|never  同名ファイルがあった時 (既定: 設定ファイルの Overwrite)
                         ask は端末で答える; 端末がなければ実行しない
  --verify | --no-verify コピーをディスクから読み直して元と比べる (既定: 設定ファイルの Verify)
  --ignore-free-space    コピー先の空き容量が足りなそうでもコピーする (既定: 終了コード 2 で止まる)
  --mkdir                コピー先がなければ尋ねずに作る (なければ終了コード 2)
  -n, --dry-run          何をどこへコピーするかを表示するだけ
  --report FILE          ファイルごとの結果 (copied, skipped と理由, failed とエラー) と最後の
                         集計を 1 行 1 つの JSON で FILE に書く

  コピー先が SOURCE の中にあるときは、コピー先フォルダは検索しない。
  失敗したファイルや読めないフォルダがあったときは LastCopyDate を変えない。
  exFAT・FAT32 などでは、大文字と小文字だけが違う名前、使えない名前、4 GiB 以上のファイル (FAT32)
  はコピー前に失敗とし、保存できないアクセス権と所有者は一度だけ知らせて内容と更新日時をコピーする。

共通:
  --conditions FILE.dat  条件ファイルから検索元・コピー先・下位フォルダ・除外リストを読む
  --settings FILE        設定ファイル (既定: ウィンドウと同じ NVO.ini)
  --threads N            フォルダを読むスレッドの数 (1: 1 本で順に読む; 0: ファイルシステムで
                         決める。ネットワークと FUSE は 32、ほかはコアの数 (8 まで); 既定:
                         設定ファイルの [Option] Threads、なければ 0)。copy では同時に書く
                         ファイルの数も決める (0: ネットワークと FUSE のコピー先は 32、ほかは 1)
  -q, --quiet            エラー以外を表示しない
  -v, --verbose          変えなかったファイルも表示する (既定: コピーしたものと失敗したものだけ)
  --progress | --no-progress   標準エラーに進み具合を表示するか (既定: 端末なら表示する)
  -h, --help, --version
  -- のあとの引数はオプションとして読まない。短いオプションはまとめて書ける (-qn)

終了コード: 0 完了, 1 一部のファイルやフォルダが失敗 (または標準出力に書けない), 2 指定の誤り,
            130 中断 (SIGINT), 143 終了要求 (SIGTERM)
)"));
}

}  // namespace nuvelo
