#pragma once

#include <cerrno>
#include <string>

// What a failed call's error number means to the user: the one table from which every message
// about a file, a folder or the disk takes its words. Header only, and made of the standard
// library alone, so that the plug-ins (which link nothing of ours) compile it into themselves and
// say what the program says.
//
// Each text is a clause without a closing "。", for the caller to put after what failed
// ("出力ファイル「…」を書き込めません：" + text + "。") or to end as a sentence of its own.
namespace os {

// Where the failure was met: the same number reads better in the words of the operation (a
// folder that may not be written is no folder that may not be read).
enum class ErrorUse {
    any,
    writing,
};

inline std::string errorText(int error, ErrorUse use = ErrorUse::any) {
    const bool writing = use == ErrorUse::writing;
    switch (error) {
    case EACCES:
    case EPERM:
        return writing ? "書き込む権限がありません" : "アクセスが拒否されました";
    case ENOENT:
        return "ファイルまたはフォルダーが見つかりません";
    case ENOTDIR:
        return "フォルダーではありません";
    case EISDIR:
        return writing ? "同じ名前のフォルダーがあります" : "ファイルではなくフォルダーです";
    case EEXIST:
        return "同じ名前のファイルまたはフォルダーがすでにあります";
    case ENOMEM:
        return "メモリが不足しています";
    case EINVAL:
        return "パスが正しくありません";
    case EROFS:
        return "読み取り専用のファイルシステムです";
    case ENOSPC:
        return "ディスクの空き容量が足りません";
    case EDQUOT:
        return "ディスクの使用量の上限に達しました";
    case EFBIG:
        return "ファイルの大きさの上限を超えました";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case EIO:
        return "入出力エラーが起きました";
    default:
        return (writing ? "書き込みに失敗しました（エラー番号 " : "操作に失敗しました（エラー番号 ") +
               std::to_string(error) + "）";
    }
}

// The text as a sentence of its own.
inline std::string errorSentence(int error, ErrorUse use = ErrorUse::any) {
    return errorText(error, use) + "。";
}

}  // namespace os
