#include "engine/Runreport.h"

namespace {

// A reason in brackets reads better without its own closing full stop.
std::string withoutFullStop(std::string text) {
    const std::string stop = "。";
    if (text.size() >= stop.size() && text.compare(text.size() - stop.size(), stop.size(), stop) == 0) {
        text.resize(text.size() - stop.size());
    }
    return text;
}

}  // namespace

void RunReport::clear() {
    const std::lock_guard<std::mutex> hold(lock);
    byKind.clear();
    found = 0;
    unwritten = 0;
    recovered = 0;
    recoveredDeleted = 0;
    unrecovered = 0;
    duplicates = 0;
    failed.clear();
    unreadable.clear();
    damagedKept = 0;
    damagedLeftOut = 0;
    causes.clear();
}

void RunReport::addUnreadable(const std::string& path, std::uint64_t offset, std::uint64_t length) {
    const std::lock_guard<std::mutex> hold(lock);
    unreadable.push_back(Unreadable{path, offset, length});
}

void RunReport::addDamaged(bool kept) {
    const std::lock_guard<std::mutex> hold(lock);
    ++(kept ? damagedKept : damagedLeftOut);
}

std::vector<RunReport::Unreadable> RunReport::unreadableRanges() {
    const std::lock_guard<std::mutex> hold(lock);
    return unreadable;
}

void RunReport::addFound(const std::string& kind) {
    const std::lock_guard<std::mutex> hold(lock);
    ++found;
    ++byKind[kind];
}

void RunReport::addRecovered(bool deleted) {
    const std::lock_guard<std::mutex> hold(lock);
    ++recovered;
    if (deleted) ++recoveredDeleted;
}

void RunReport::addUnrecovered() {
    const std::lock_guard<std::mutex> hold(lock);
    ++unrecovered;
}

void RunReport::addDuplicate() {
    const std::lock_guard<std::mutex> hold(lock);
    ++duplicates;
}

unsigned RunReport::recoveredCount() {
    const std::lock_guard<std::mutex> hold(lock);
    return recovered;
}

void RunReport::addUnwritten() {
    const std::lock_guard<std::mutex> hold(lock);
    ++unwritten;
}

bool RunReport::addProblem(const std::string& cause) {
    const std::lock_guard<std::mutex> hold(lock);
    return causes.insert(cause).second;
}

void RunReport::addFailedInput(const std::string& path, const std::string& reason) {
    const std::lock_guard<std::mutex> hold(lock);
    for (const ExtractFailedInput& input : failed) {
        if (input.path == path && input.reason == reason) return;
    }
    failed.push_back(ExtractFailedInput{path, reason});
}

unsigned RunReport::foundCount() {
    const std::lock_guard<std::mutex> hold(lock);
    return found;
}

unsigned RunReport::unwrittenCount() {
    const std::lock_guard<std::mutex> hold(lock);
    return unwritten;
}

std::vector<ExtractFailedInput> RunReport::failedInputs() {
    const std::lock_guard<std::mutex> hold(lock);
    return failed;
}

std::map<std::string, unsigned> RunReport::countsByKind() {
    const std::lock_guard<std::mutex> hold(lock);
    return byKind;
}

std::string RunReport::summary(Ending ending, const std::string& cause) {
    const std::lock_guard<std::mutex> hold(lock);
    const bool clean = causes.empty() && unwritten == 0 && failed.empty() && unreadable.empty();
    std::string line;
    switch (ending) {
    case Ending::completed:
        line = clean ? "抽出完了." : "抽出完了（問題あり）.";
        break;
    case Ending::aborted:
        line = "抽出中断.";
        break;
    case Ending::failed:
        line = "抽出失敗.";
        if (!cause.empty()) line += " " + cause;
        break;
    }

    if (recovered > 0 || unrecovered > 0) {
        line += " ファイルシステムから " + std::to_string(recovered) + " 件を元の名前で復元しました";
        if (recoveredDeleted > 0) line += "（うち削除済み " + std::to_string(recoveredDeleted) + " 件）";
        line += "。";
        if (unrecovered > 0) {
            line += "中身が残っていない削除済みファイル " + std::to_string(unrecovered) + " 件。";
        }
    }
    if (duplicates > 0) {
        line += "元の名前で復元したものと同じため省いた探索結果 " + std::to_string(duplicates) + " 件。";
    }
    if (found == 0 && recovered > 0) {
        line += "探索で見つかったものはありません。";
    } else if (found == 0) {
        line += ending == Ending::completed && clean ? " 抽出できるデータは見つかりませんでした。"
                                                     : " 抽出したファイルはありません。";
    } else {
        line += " " + std::to_string(found) + " 件のファイルを抽出しました（";
        bool first = true;
        for (const auto& [kind, count] : byKind) {
            if (!first) line += "、";
            first = false;
            line += kind + " " + std::to_string(count) + " 件";
        }
        line += "）。";
    }
    if (unwritten > 0) {
        line += "書き込めなかったもの " + std::to_string(unwritten) + " 件。";
    }
    if (!failed.empty()) {
        line += "読み込めなかった入力 " + std::to_string(failed.size()) + " 件：";
        for (std::size_t i = 0; i < failed.size(); ++i) {
            if (i > 0) line += "、";
            line += failed[i].path + "（" + withoutFullStop(failed[i].reason) + "）";
        }
        line += "。";
    }
    if (damagedKept > 0) {
        line += "読み込めない部分をゼロで埋めて書き出したもの（破損）" + std::to_string(damagedKept) + " 件。";
    }
    if (damagedLeftOut > 0) {
        line += "読み込めない部分を含むため書き出さなかったもの " + std::to_string(damagedLeftOut) + " 件。";
    }
    if (!unreadable.empty()) {
        // A worn device can have thousands: the log and the report name them all.
        constexpr std::size_t named = 10;
        line += "読み込めなかった範囲 " + std::to_string(unreadable.size()) + " か所：";
        for (std::size_t i = 0; i < unreadable.size() && i < named; ++i) {
            if (i > 0) line += "、";
            line += unreadable[i].path + "（位置 " + std::to_string(unreadable[i].offset) + " から " +
                    std::to_string(unreadable[i].length) + " バイト）";
        }
        if (unreadable.size() > named) line += "ほか " + std::to_string(unreadable.size() - named) + " か所";
        line += "。";
    }
    if (!causes.empty() && unwritten == 0 && failed.empty() && unreadable.empty()) {
        line += "ログのエラーを確認して下さい。";
    }
    return line;
}
