#include "cli/cli_options.h"

#include <cstdio>
#include <functional>
#include <map>

namespace nuvelo {
namespace {

bool isLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

std::optional<OverwritePolicy> policyNamed(const std::string& name) {
  static const std::map<std::string, OverwritePolicy> policies = {{"always", OverwriteAlways},
                                                                  {"ask", OverwriteAsk},
                                                                  {"newer", OverwriteIfNewer},
                                                                  {"never", OverwriteNever}};
  const auto found = policies.find(name);
  return found == policies.end() ? std::nullopt : std::optional<OverwritePolicy>(found->second);
}

std::optional<OutputFormat> formatNamed(const std::string& name) {
  if (name == "text") return OutputFormat::Text;
  if (name == "tsv") return OutputFormat::Tsv;
  if (name == "json") return OutputFormat::Json;
  return std::nullopt;
}

// A thread count: a whole number of at most 1024, digits only.
std::optional<unsigned> threadCountOf(const std::string& text) {
  constexpr unsigned Most = 1024;
  if (text.empty() || text.size() > 4) return std::nullopt;
  unsigned count = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + static_cast<unsigned>(c - '0');
  }
  return count <= Most ? std::optional<unsigned>(count) : std::nullopt;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedCommandLine parse() {
    if (args_.empty()) return fail("コマンドがありません (search または copy)");
    const std::string& command = args_[0];
    if (command == "--help" || command == "-h" || command == "help") return done(CliCommand::Help);
    if (command == "--version") return done(CliCommand::Version);
    if (command == "search")
      options_.command = CliCommand::Search;
    else if (command == "copy")
      options_.command = CliCommand::Copy;
    else
      return fail("不明なコマンドです: " + command);

    std::vector<std::string> positional;
    for (index_ = 1; index_ < args_.size(); ++index_) {
      const std::string& arg = args_[index_];
      if (arg == "--") {
        positional.insert(positional.end(), args_.begin() + static_cast<long>(index_) + 1,
                          args_.end());
        break;
      }
      if (arg.size() > 1 && arg[0] == '-') {
        if (!option(arg)) return {std::nullopt, error_};
        if (options_.command == CliCommand::Help || options_.command == CliCommand::Version)
          return {options_, {}};
      } else {
        positional.push_back(arg);
      }
    }
    return finish(positional);
  }

 private:
  ParsedCommandLine done(CliCommand command) {
    options_.command = command;
    return {options_, {}};
  }
  ParsedCommandLine fail(const std::string& why) { return {std::nullopt, why}; }
  bool error(const std::string& why) {
    error_ = why;
    return false;
  }

  // The option's value: after "=", or the next argument.
  std::optional<std::string> valueOf(const std::string& name, const std::string& arg) {
    if (arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
    if (index_ + 1 >= args_.size()) return std::nullopt;
    return args_[++index_];
  }

  bool setOnce(std::optional<bool>& target, bool value, const std::string& name) {
    if (target && *target != value) return error(name + " は反対の指定と同時に使えません");
    target = value;
    return true;
  }

  bool option(const std::string& arg) {
    const std::string name = arg.substr(0, arg.find('='));
    const bool hasInlineValue = name.size() < arg.size();
    static const std::map<std::string, bool> takesValue = {{"--since", true},
                                                           {"--since-last", false},
                                                           {"--no-subfolders", false},
                                                           {"--subfolders", false},
                                                           {"--no-per-folder", false},
                                                           {"--verify", false},
                                                           {"--no-verify", false},
                                                           {"--ignore-free-space", false},
                                                           {"--exclude-folder", true},
                                                           {"--exclude-ext", true},
                                                           {"--per-folder", false},
                                                           {"--relative", false},
                                                           {"--absolute", false},
                                                           {"--drive-letter", false},
                                                           {"--no-drive-letter", false},
                                                           {"--overwrite", true},
                                                           {"--conditions", true},
                                                           {"--settings", true},
                                                           {"--dry-run", false},
                                                           {"--format", true},
                                                           {"--quiet", false},
                                                           {"--threads", true},
                                                           {"-q", false},
                                                           {"--help", false},
                                                           {"-h", false},
                                                           {"--version", false}};
    const auto known = takesValue.find(name);
    if (known == takesValue.end()) return error("不明なオプションです: " + name);
    if (!known->second && hasInlineValue) return error(name + " は値を取りません");
    std::string value;
    if (known->second) {
      const auto v = valueOf(name, arg);
      if (!v) return error(name + " には値が必要です");
      value = *v;
    }

    if (name == "--help" || name == "-h")
      options_.command = CliCommand::Help;
    else if (name == "--version")
      options_.command = CliCommand::Version;
    else if (name == "--since") {
      if (options_.sinceLast) return error("--since と --since-last は同時に指定できません");
      options_.since = parseIsoDate(value);
      if (!options_.since) return error("'" + value + "' は日付ではありません (YYYY-MM-DD)");
    } else if (name == "--since-last") {
      if (options_.since) return error("--since と --since-last は同時に指定できません");
      options_.sinceLast = true;
    } else if (name == "--subfolders")
      return setOnce(options_.subfolders, true, name);
    else if (name == "--no-subfolders")
      return setOnce(options_.subfolders, false, name);
    else if (name == "--exclude-folder") {
      if (!options_.excludeFolders) options_.excludeFolders.emplace();
      options_.excludeFolders->push_back(value);
    } else if (name == "--exclude-ext") {
      if (!value.empty() && value.front() == '.') value.erase(0, 1);
      if (!options_.excludeExtensions) options_.excludeExtensions.emplace();
      options_.excludeExtensions->push_back(value);
    } else if (name == "--per-folder")
      return setOnce(options_.perFolder, true, name);
    else if (name == "--no-per-folder")
      return setOnce(options_.perFolder, false, name);
    else if (name == "--verify")
      return setOnce(options_.verify, true, name);
    else if (name == "--no-verify")
      return setOnce(options_.verify, false, name);
    else if (name == "--ignore-free-space")
      options_.ignoreFreeSpace = true;
    else if (name == "--relative")
      return setOnce(options_.dirAbs, false, name);
    else if (name == "--absolute")
      return setOnce(options_.dirAbs, true, name);
    else if (name == "--drive-letter")
      return setOnce(options_.driveLetter, true, name);
    else if (name == "--no-drive-letter")
      return setOnce(options_.driveLetter, false, name);
    else if (name == "--overwrite") {
      options_.overwrite = policyNamed(value);
      if (!options_.overwrite)
        return error("--overwrite は always, ask, newer, never のどれかです");
    } else if (name == "--conditions")
      options_.conditions = value;
    else if (name == "--settings")
      options_.settings = value;
    else if (name == "--dry-run")
      options_.dryRun = true;
    else if (name == "--format") {
      const auto format = formatNamed(value);
      if (!format) return error("--format は text, tsv, json のどれかです");
      options_.format = *format;
      options_.formatGiven = true;
    } else if (name == "--quiet" || name == "-q")
      options_.quiet = true;
    else if (name == "--threads") {
      options_.threads = threadCountOf(value);
      if (!options_.threads) return error("--threads は 0 から 1024 までの整数です");
    }
    return true;
  }

  ParsedCommandLine finish(const std::vector<std::string>& positional) {
    const bool copy = options_.command == CliCommand::Copy;
    const std::size_t most = copy ? 2 : 1;
    if (positional.size() > most) return fail("引数が多すぎます: " + positional[most]);
    if (!positional.empty()) options_.source = positional[0];
    if (positional.size() > 1) options_.destination = positional[1];
    if (!options_.conditions) {
      if (!options_.source) return fail("検索元フォルダを指定してください");
      if (copy && !options_.destination) return fail("コピー先フォルダを指定してください");
    }
    if (copy && options_.formatGiven) return fail("--format は search だけのオプションです");
    if (!copy && options_.dryRun) return fail("--dry-run は copy だけのオプションです");
    if (!copy && options_.overwrite) return fail("--overwrite は copy だけのオプションです");
    if (!copy && options_.verify) return fail("--verify は copy だけのオプションです");
    if (!copy && options_.ignoreFreeSpace)
      return fail("--ignore-free-space は copy だけのオプションです");
    return {options_, {}};
  }

  const std::vector<std::string>& args_;
  std::size_t index_ = 0;
  CliOptions options_;
  std::string error_;
};

}  // namespace

std::optional<CivilDate> parseIsoDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
    return std::nullopt;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  if (m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
  return CivilDate{y, m, d};
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
  return Parser(args).parse();
}

std::string usageText() {
  return R"(使い方:
  nuvelo-cli search [OPTIONS] SOURCE
  nuvelo-cli copy   [OPTIONS] SOURCE DEST

検索:
  --since YYYY-MM-DD     この日以降に更新されたもの (既定: 今日)
  --since-last           前回コピーした日以降 (設定ファイルの LastCopyDate)
  --subfolders | --no-subfolders   下位フォルダも対象とするか
                         (既定: 条件ファイルの CBKai、なければ設定ファイルの DirKAI)
  --exclude-folder ENTRY 除外するサブフォルダ (SOURCE より下の部分、例 /old/tmp; 繰り返し可)
  --exclude-ext EXT      除外する拡張子 (ドットなし; 繰り返し可; 既定: 設定ファイルの EscExt)
  --per-folder | --no-per-folder   フォルダ単位で処理するか (既定: 設定ファイルの PickupFolder)
  --format text|tsv|json 検索結果の形式 (search のみ; 既定: text)
                         tsv は名前の中のタブ・改行・復帰・\ を \t \n \r \\ と書く
                         json は UTF-8 でないパスのバイト列を path_bytes にも書く

コピー:
  --relative | --absolute          パスの作り方 (既定: 設定ファイルの DirAbs)
  --drive-letter | --no-drive-letter   (既定: 設定ファイルの AddDriveLetter)
  --overwrite always|ask|newer|never  同名ファイルがあった時 (既定: 設定ファイルの Overwrite)
                         ask は端末で答える; 端末がなければ実行しない
  --verify | --no-verify コピーをディスクから読み直して元と比べる (既定: 設定ファイルの Verify)
  --ignore-free-space    コピー先の空き容量が足りなそうでもコピーする (既定: 終了コード 2 で止まる)
  --dry-run              何をどこへコピーするかを表示するだけ
  -q, --quiet            エラー以外を表示しない

  コピー先が SOURCE の中にあるときは、コピー先フォルダは検索しない。
  失敗したファイルや読めないフォルダがあったときは LastCopyDate を変えない。
  exFAT・FAT32 などでは、大文字と小文字だけが違う名前、使えない名前、4 GiB 以上のファイル (FAT32)
  はコピー前に失敗とし、保存できないアクセス権と所有者は一度だけ知らせて内容と更新日時をコピーする。

共通:
  --conditions FILE.dat  条件ファイルから検索元・コピー先・下位フォルダ・除外リストを読む
  --settings FILE        設定ファイル (既定: ウィンドウと同じ NVO.ini)
  --threads N            フォルダを読むスレッドの数 (1: 1 本で順に読む; 0: ファイルシステムで
                         決める。ネットワークと FUSE は 32、ほかは 1; 既定: 設定ファイルの
                         [Option] Threads、なければ 0)。copy では同時に書くファイルの数も
                         決める (0: ネットワークと FUSE のコピー先は 32、ほかは 1 つずつ)
  --help, --version

終了コード: 0 完了, 1 一部のファイルやフォルダが失敗 (または標準出力に書けない), 2 指定の誤り,
            130 中断
)";
}

}  // namespace nuvelo
