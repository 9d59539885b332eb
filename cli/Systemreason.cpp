#include "cli/Systemreason.h"

#include <cerrno>
#include <cstring>

std::string SystemReason::of(std::error_code error) {
    if (!error) return "原因は分かりません";
    const std::error_condition condition = error.default_error_condition();
    if (condition == std::errc::no_space_on_device) return "ディスクの空き容量が足りません";
    if (condition == std::errc::permission_denied || condition == std::errc::operation_not_permitted) {
        return "許可されていません";
    }
    if (condition == std::errc::read_only_file_system) return "読み取り専用のファイルシステムです";
    if (condition == std::errc::no_such_file_or_directory) return "途中のフォルダーがありません";
    if (condition == std::errc::not_a_directory) return "途中にフォルダーでないものがあります";
    if (condition == std::errc::file_exists) return "同じ名前のファイルがあります";
    if (condition == std::errc::is_a_directory) return "同じ名前のフォルダーがあります";
    if (condition == std::errc::filename_too_long) return "名前が長すぎます";
    if (condition == std::errc::file_too_large) return "ファイルの大きさの上限を超えました";
    if (condition == std::errc::io_error) return "入出力エラーが起きました";
    if (condition == std::errc::too_many_files_open || condition == std::errc::too_many_files_open_in_system) {
        return "開いているファイルが多すぎます";
    }
    return "エラー番号 " + std::to_string(error.value()) + "（" + std::strerror(error.value()) + "）";
}

std::string SystemReason::ofLastError() { return of(std::error_code(errno, std::generic_category())); }
