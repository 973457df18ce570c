// nuvelo-cli --help: every option, in the program's words (the catalog gives the English).

#include "messages/usage_text.h"

#include "messages/wording.h"

namespace nuvelo {

std::string usageText() {
  return std::string(wording(R"(使い方:
  nuvelo-cli search [OPTIONS] SOURCE [DEST]
  nuvelo-cli copy   [OPTIONS] SOURCE DEST
  nuvelo-cli search|copy [OPTIONS] --job FILE
  nuvelo-cli versions [--keep-replaced=FOLDER] [--job FILE | --settings FILE]
                      [--format text|tsv|json | -0] PATH
  nuvelo-cli log [-n N] [--format text|tsv|json] [--settings FILE]

検索:
  --since WHEN           この時以降に更新されたもの (既定: 今日)。WHEN は YYYY-MM-DD、
                         YYYY-MM-DDThh:mm[:ss][Z|±hh:mm]、今からさかのぼる 30m 12h 3d 2w、
                         today、yesterday
  --since-last           このジョブ (ジョブファイル、条件ファイル、または SOURCE と DEST) が
                         前回コピーした日以降 (設定ファイルの [Jobs]。ウィンドウと同じ検索元と
                         コピー先なら [Default] の LastCopyDate)。まだ日付のないジョブは
                         終了コード 2 で止まる: 最初は --since で実行する
  --compare[=contents]   日付ではなく DEST と比べる: DEST にないもの、DEST のほうが古いもの、
                         DEST のものと大きさが違うものをすべて対象にする (search では DEST も
                         指定する)。=contents では、時刻と大きさの同じファイルも両方を読んで
                         比べ (XXH3)、内容が違うものと DEST 側が読めないものを対象にする
  --change-time | --no-change-time   移動・展開・名前変更で来たファイル (更新日時が古くても
                         ctime が新しいもの) も対象にするか (既定: 設定ファイルの ChangeTime、
                         なければ対象にする)
  --subfolders | --no-subfolders   下位フォルダも対象とするか
                         (既定: 条件ファイルの CBKai、なければ設定ファイルの DirKAI)
  --exclude-folder DIR   除外するサブフォルダ (SOURCE より下の部分、例 tmp, old/tmp; 繰り返し可)
  --exclude-ext EXT      除外する拡張子 (bak, .bak, '*.bak'; 繰り返し可; 既定: 設定ファイルの EscExt)
                         何も除外しなかった指定は標準エラーで知らせる
  --exclude-name PATTERN どの深さでも、名前がパターンに合うファイルとフォルダを除外する
                         (* ? [...] が使える。例 node_modules, '~$*', '*.tmp', .DS_Store;
                         大文字と小文字は区別しない; 繰り返し可; 既定: 設定ファイルの
                         ExcludeNames)。パスは --exclude-folder で
  --exclude-from FILE    FILE に 1 行 1 つ書いたパターンで除外する (# で始まる行と空行は
                         読まない)。--exclude-name と合わせて設定ファイルのものに代わる。
                         何も除外しなかったパターンも知らせない
  --per-folder | --no-per-folder   フォルダ単位で処理するか (既定: 設定ファイルの PickupFolder)
  --format text|tsv|json 検索結果の形式 (search のみ; 既定: text)
                         tsv は名前の中のタブ・改行・復帰・\ を \t \n \r \\ と書く
                         json は 1 行に 1 つのオブジェクト (JSON Lines)。modified と changed
                         (ctime) の両方を書く。UTF-8 でないパスは path_bytes と absolute_bytes
                         にバイト列も書く
  -0, --print0           見つかったものの絶対パスを NUL で区切って書く (xargs -0 用)

コピー:
  --relative | --absolute          パスの作り方 (既定: 設定ファイルの DirAbs)
  --drive-letter | --no-drive-letter   (既定: 設定ファイルの AddDriveLetter)
  --overwrite always|ask|newer|never  同名ファイルがあった時 (既定: 設定ファイルの Overwrite)
                         ask は端末で答える; 端末がなければ実行しない
  --verify | --no-verify コピーをディスクから読み直して元と比べる (既定: 設定ファイルの Verify)
  --retries N            一時的なエラー (入出力エラー、接続の切断・時間切れなど) でコピーできな
                         かったファイルを N 回までやり直す (0: やり直さない; 既定: 設定ファイルの
                         Retries、なければ 2)。途中で切れた 8 MiB 以上のファイルは、書けた部分が
                         元と同じならその続きからコピーする
  --retry-wait SECONDS   最初のやり直しまで待つ秒数 (0.5 のような小数も可)。やり直すたびに倍になる
                         (既定: 設定ファイルの RetryWait、なければ 5)
  --links copy|skip      シンボリックリンクを保存できないコピー先 (exFAT、FAT32 など) でのリンク:
                         copy は失敗とする、skip はコピーせず、除外した数を知らせる (既定:
                         ジョブファイルの Links、なければ copy)。リンクを保存できるコピー先には
                         どちらでもリンクとしてコピーする: 同じジョブでどのドライブにも、
                         保存できるものを失わずにバックアップできるように
  --ignore-free-space    コピー先の空き容量が足りなそうでもコピーする (既定: 終了コード 2 で止まる)
  --mkdir                コピー先がなければ尋ねずに作る (なければ終了コード 2)
  --any-drive            ジョブが前回コピーしたドライブとは別のファイルシステムにコピー先が
                         あってもコピーし、そちらをジョブのドライブとして記録する (既定:
                         終了コード 2 で止まる。ドライブがつながっていない時の空のマウント
                         ポイントにコピーしないように)
  --wait                 同じジョブを別の nuvelo-cli が実行中なら、終わるのを待つ
                         (既定: 終了コード 75 ですぐ終わる)
  -n, --dry-run          何をどこへコピーするかを表示するだけ
  --report FILE          ファイルごとの結果 (copied, skipped と理由, failed とエラー) と最後の
                         集計を 1 行 1 つの JSON で FILE に書く。FILE が - なら標準出力に書き、
                         ファイルごとの行 (copied など) は標準エラーに書く
  --keep-replaced[=FOLDER] | --no-keep-replaced   上書きで置き換えるファイルを消さずに
                         DEST/.nuvelo-versions/YYYY-MM-DD_HHMMSS/ (FOLDER を指定したときは
                         FOLDER/YYYY-MM-DD_HHMMSS/) の下に DEST からのパスで残す (既定: 設定ファイルの
                         KeepReplaced と VersionsFolder)。FOLDER は = で続けて書き、相対パスは DEST
                         から。データはコピーせずハードリンクか移動で残すので、FOLDER は DEST と
                         同じファイルシステムに置く
  --prune-versions DAYS  コピーのあと、実行の開始より DAYS 日以上前の版のフォルダを削除する
                         (既定: 削除しない)

  コピー先が SOURCE の中にあるときは、コピー先フォルダは検索しない。
  記録する日付は、そのコピーの一覧を作った検索を始めた日。コピーできなかったファイルと
  読めなかったフォルダはジョブの再試行リストに残り、次の実行で日付にかかわらずもう一度
  コピーする (コピーできたか、SOURCE からなくなるまで)。
  exFAT・FAT32 などでは、大文字と小文字だけが違う名前、使えない名前、4 GiB 以上のファイル (FAT32)
  はコピー前に失敗とし、保存できないアクセス権、所有者、アクセス制御リスト (ACL)、拡張属性は
  一度だけ知らせて内容と更新日時をコピーする。使えない名前、大きすぎるファイル、保存できない
  リンクは、やり直しても失敗するので再試行リストには残さない (その実行の失敗には数える)。

版 (versions):
  versions PATH          コピー先のファイル PATH の残された版を新しい順に表示する (版のフォルダ名、
                         サイズ、更新日時、パス)。PATH のフォルダから上にたどり、最初に
                         .nuvelo-versions のあるフォルダをコピー先とする。--keep-replaced=FOLDER
                         のときは、FOLDER にそのファイルの版がある最初のフォルダ。--job FILE か
                         --settings FILE のときはそのコピー先と VersionsFolder を使う。
                         --format と -0 は search と同じ。版がなければ標準エラーに知らせて 0

実行記録 (log):
  log                    最近のコピーの実行 (ウィンドウと nuvelo-cli の。search と --dry-run は
                         記録しない) を古い順に表示する: 開始、実行元、コピー・スキップ・失敗の数、
                         状態、ジョブファイルかコピー元。記録は設定ファイルごとで、既定の設定
                         ファイルなら $XDG_STATE_HOME/nuvelo/runs.log (~/.local/state/nuvelo)、
                         ほかは設定ファイルの隣の <名前>-runs.log (NVO.ini なら NVO-runs.log)。
                         1 MB を超えると .1 に移し、移したものを 2 つまで残す
  -n, --lines N          最後の N 件 (既定: 10)
  --format text|tsv|json json は記録の行 (JSON Lines) をそのまま書く

共通:
  --job FILE             ジョブファイル (条件ファイルに [Job] の項目を加えたもの) からジョブの
                         すべてを読む。設定ファイルのオプションは使わない
  --conditions FILE.dat  条件ファイルから検索元・コピー先・下位フォルダ・除外リストを読む
  --settings FILE        設定ファイル (既定: ウィンドウと同じ NVO.ini)
  --threads N            フォルダを読むスレッドの数 (1: 1 本で順に読む; 0: ファイルシステムで
                         決める。ネットワークと FUSE は 64、ほかはコアの数 (8 まで); 既定:
                         設定ファイルの [Option] Threads、なければ 0)。copy では同時に書く
                         ファイルの数も決める (0: ネットワークと FUSE のコピー先は 32、ほかは 1)
  -q, --quiet            エラー以外を表示しない
  -v, --verbose          変えなかったファイルも表示する (既定: コピーしたものと失敗したものだけ)。
                         各オプションの値とその出どころも標準エラーに書く
  --progress | --no-progress   標準エラーに進み具合を表示するか (既定: 端末なら表示する)。
                         端末でなければ 5 秒ごとに 1 行と、最後の状態を書く
  -h, --help, --version
  -- のあとの引数はオプションとして読まない。短いオプションはまとめて書ける (-qn)

終了コード: 0 完了, 1 一部のファイルやフォルダが失敗 (または標準出力か標準エラーに書けない。
            コピーはそれでも最後まで続ける), 2 指定の誤り,
            75 同じジョブが実行中, 130 中断 (SIGINT), 143 終了要求 (SIGTERM)
)"));
}

std::string moreHelpText() {
  return std::string(wording("詳しくは nuvelo-cli --help"));
}

}  // namespace nuvelo
