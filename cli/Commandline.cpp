#include "cli/Commandline.h"

#include "engine/Volumeplan.h"

#include <cctype>
#include <limits>

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text + ",") {
        if (c != ',') {
            item += c;
            continue;
        }
        if (!item.empty()) items.push_back(item);
        item.clear();
    }
    return items;
}

}  // namespace

std::uint64_t CommandLine::parseSize(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0) throw UsageError("サイズ「" + text + "」が読めません（数に k、M、G、T の単位を付けられます）");
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            throw UsageError("サイズ「" + text + "」が大きすぎます");
        }
        value = value * 10 + digit;
    }
    std::string unit = text.substr(digits);
    if (unit.size() == 2 && (unit[1] == 'B' || unit[1] == 'b')) unit.pop_back();
    if (unit.size() > 1) throw UsageError("サイズ「" + text + "」が読めません（数に k、M、G、T の単位を付けられます）");
    unsigned shift = 0;
    if (!unit.empty()) {
        switch (std::tolower(static_cast<unsigned char>(unit[0]))) {
        case 'k': shift = 10; break;
        case 'm': shift = 20; break;
        case 'g': shift = 30; break;
        case 't': shift = 40; break;
        case 'b': shift = 0; break;
        default: throw UsageError("サイズ「" + text + "」が読めません（数に k、M、G、T の単位を付けられます）");
        }
    }
    if (shift != 0 && value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
        throw UsageError("サイズ「" + text + "」が大きすぎます");
    }
    return value << shift;
}

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            line.inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string attached;
        bool hasAttached = false;
        if (argument.rfind("--", 0) == 0) {
            const std::size_t equals = argument.find('=');
            if (equals != std::string::npos) {
                attached = argument.substr(equals + 1);
                argument = argument.substr(0, equals);
                hasAttached = true;
            }
        } else if (argument.size() > 2) {
            attached = argument.substr(2);
            argument = argument.substr(0, 2);
            hasAttached = true;
        }
        const auto value = [&]() -> std::string {
            if (hasAttached) return attached;
            if (i + 1 >= arguments.size()) throw UsageError("オプション「" + argument + "」には値が要ります");
            return arguments[++i];
        };
        const auto noValue = [&] {
            if (hasAttached) throw UsageError("オプション「" + argument + "」は値を取りません");
        };
        if (argument == "-h" || argument == "--help") {
            noValue();
            line.help = true;
        } else if (argument == "-V" || argument == "--version") {
            noValue();
            line.version = true;
        } else if (argument == "--list-plugins") {
            noValue();
            line.listPlugins = true;
        } else if (argument == "-o" || argument == "--output") {
            line.output = value();
            if (line.output.empty()) throw UsageError("出力先のフォルダーが空です");
        } else if (argument == "--per-input") {
            noValue();
            line.perInput = true;
        } else if (argument == "--no-per-input") {
            noValue();
            line.perInput = false;
        } else if (argument == "--per-kind") {
            noValue();
            line.perKind = true;
        } else if (argument == "--no-per-kind") {
            noValue();
            line.perKind = false;
        } else if (argument == "--keep-damaged") {
            noValue();
            line.keepDamaged = true;
        } else if (argument == "--no-keep-damaged") {
            noValue();
            line.keepDamaged = false;
        } else if (argument == "--min-size") {
            line.minimumSize = parseSize(value());
        } else if (argument == "--max-size") {
            line.maximumSize = parseSize(value());
        } else if (argument == "--file-systems") {
            noValue();
            line.readFileSystems = true;
        } else if (argument == "--carve-only") {
            noValue();
            line.readFileSystems = false;
        } else if (argument == "--carve-whole") {
            noValue();
            line.carveWholeVolumes = true;
        } else if (argument == "--carve-free") {
            noValue();
            line.carveWholeVolumes = false;
        } else if (argument == "--volumes") {
            line.volumes = value();
            std::vector<std::uint32_t> numbers;
            if (!VolumePlan::parseVolumes(*line.volumes, numbers) || numbers.empty()) {
                throw UsageError("--volumes needs volume numbers from 1, e.g. 1,3");
            }
        } else if (argument == "-k" || argument == "--kinds") {
            line.kinds = splitList(value());
            if (line.kinds.empty()) throw UsageError("--kinds には種類を一つ以上挙げて下さい");
        } else if (argument == "-r" || argument == "--report") {
            line.report = value();
            if (line.report.empty()) throw UsageError("レポートのファイル名が空です");
        } else if (argument == "--report-format") {
            const std::string format = value();
            if (format == "csv") {
                line.reportFormat = ReportFormat::csv;
            } else if (format == "jsonl") {
                line.reportFormat = ReportFormat::jsonl;
            } else {
                throw UsageError("レポートの形式「" + format + "」は使えません（csv か jsonl です）");
            }
        } else if (argument == "-q" || argument == "--quiet") {
            noValue();
            line.quiet = true;
        } else {
            throw UsageError("オプション「" + argument + "」はありません");
        }
    }
    if (line.help || line.version || line.listPlugins) return line;
    if (line.output.empty()) throw UsageError("出力先のフォルダーがありません（-o OUTPUT）");
    if (line.inputs.empty()) throw UsageError("入力ファイルがありません");
    // A largest size of 0 is no upper limit, as the settings read it.
    if (line.minimumSize && line.maximumSize && *line.maximumSize != 0 && *line.minimumSize > *line.maximumSize) {
        throw UsageError("--min-size が --max-size より大きくなっています");
    }
    return line;
}

std::string CommandLine::helpText() {
    return "使い方: glintfetch-cli -o OUTPUT [OPTION]... INPUT...\n"
           "        glintfetch-cli --list-plugins\n"
           "INPUT（ディスクイメージ、デバイス、どんなファイルでも）の中のどこかに埋め込まれた画像、音声、\n"
           "動画など既知の種類のデータを探し、見つけたものを一つずつ OUTPUT の下のファイルに写します。\n"
           "ウィンドウ版の glintfetch と同じく、プログラムの横のプラグインと設定（config.xml）を使います。\n"
           "オプションはこの実行の間だけ設定に優先し、config.xml を変えることはありません。\n"
           "\n"
           "  -o, --output=DIR        見つけたものを DIR の下に書く（なければ作る）\n"
           "      --per-input         入力ファイルごとに、その名前のフォルダーに分ける\n"
           "      --no-per-input      分けない（どちらもなければ設定のとおり）\n"
           "      --per-kind          種類（jpg、png など）ごとのフォルダーに分ける\n"
           "      --no-per-kind       分けない\n"
           "      --min-size=SIZE     SIZE バイト以上のものだけを抽出する\n"
           "      --max-size=SIZE     SIZE バイト以下のものだけを抽出する（0 は上限なし）\n"
           "                          SIZE には単位を付けられる: 64k、2M、3G、1T（1024 の累乗）\n"
           "      --keep-damaged      読めないセクターにかかるものも、そこを 0 で埋めて書き、\n"
           "                          損傷ありの名前にする\n"
           "      --no-keep-damaged   そういうものは書かない（どちらもなければ設定のとおり。\n"
           "                          設定が何も言わなければ書かない）\n"
           "      --file-systems      入力のパーティションとファイルシステムが示すファイルを、名前・フォルダー・\n"
           "                          時刻のまま書き出してから探索する（既定。削除済みは 削除済み の下）\n"
           "      --carve-only        探索だけを行う（ファイルシステムのない入力と同じ）\n"
           "      --carve-free        使用中のファイルのない場所だけを探索する（既定）\n"
           "      --carve-whole       ボリューム全体を探索する（使用中のファイルも）\n"
           "      --volumes=LIST      これらのボリュームだけを読み、探索する（1 からの番号: 1,3）\n"
           "  -k, --kinds=LIST        これらの種類だけを抽出する（例: jpg,png,heic）\n"
           "      --list-plugins      プラグイン（ID、種類、名前、バージョン、有効・無効）を示して終わる\n"
           "  -r, --report=FILE       見つけたものを一件一行で、実行しながら FILE に書く\n"
           "      --report-format=FMT csv（既定）か jsonl\n"
           "  -q, --quiet             進み具合とログを出さない（まとめとエラーだけ）\n"
           "  -h, --help              この説明を示して終わる\n"
           "  -V, --version           バージョンを示して終わる\n"
           "\n"
           "進み具合は標準エラー出力が端末のときにそこへ出ます。Ctrl-C で実行を取り消します。それまでに\n"
           "書いたものはどれも完全で、レポートにも載っています。\n"
           "\n"
           "読めないセクター（傷んだカードやディスク）があっても実行は止まりません。そこは 0 として読み、\n"
           "読めない範囲を一つずつ標準エラー出力とレポートに示し、それにかからないものは完全に書きます。\n"
           "\n"
           "終了コード: 0 はすべての入力を調べ、見つけたものをすべて書けたとき、1 は何かに失敗したか読めない\n"
           "ところがあったとき（理由は標準エラー出力にあります）か中断したとき、2 は使い方の誤りです。\n"
           "\n"
           "例:\n"
           "  glintfetch-cli -o recovered --per-kind --kinds jpg,png --report finds.csv disk.img\n";
}
