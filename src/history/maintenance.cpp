#include "history/maintenance.h"

#include "history/text_format.h"
#include "platform/file_io.h"

#include <algorithm>
#include <climits>
#include <filesystem>

namespace history {

std::string backupText(const std::vector<HistoryRow>& rows, size_t count) {
    return backupText(rows, 0, count);
}

std::string backupText(const std::vector<HistoryRow>& rows, size_t from, size_t to) {
    to = std::min(to, rows.size());
    std::string text;
    if (from >= to) return text;
    text.reserve((to - from) * 26);
    for (size_t i = from; i < to; ++i)
        appendHistoryTextLine(text, rows[i].period, rows[i].numbers());
    return text;
}

std::vector<size_t> rowsBackupCannotCarry(const std::vector<HistoryRow>& rows, size_t count) {
    std::vector<size_t> damaged;
    count = std::min(count, rows.size());
    for (size_t i = 0; i < count; ++i) {
        const auto& numbers = rows[i].numbers();
        bool sound = rows[i].period >= 1 && rows[i].period <= 99999999 && rows[i].period % 100;
        unsigned seen = 0;
        for (int n : numbers) {
            if (n < 1 || n > 11 || (seen & (1u << n))) sound = false;
            if (n >= 1 && n <= 11) seen |= 1u << n;
        }
        if (!sound) damaged.push_back(i);
    }
    return damaged;
}

size_t rowsUpTo(const std::vector<HistoryRow>& rows, int limit) {
    size_t count = 0;
    while (count < rows.size() && rows[count].period <= limit) ++count;
    return count;
}

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<int> cutBackLimit(std::string_view entry) {
    const auto text = trimmed(entry);
    if (text.size() != 10 || !allDigits(text)) return std::nullopt;
    int limit = 0;
    for (char c : text.substr(2)) limit = limit * 10 + (c - '0');
    return limit;
}

std::optional<int> periodCount(std::string_view entry) {
    auto text = trimmed(entry);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!allDigits(text)) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return static_cast<int>(value);
}

void compactDatabase(platform::Database& db, const std::string& tmpPath) {
    const std::string live = db.path();
    const std::string pending = platform::pendingName(live);
    try {
        const std::string check = db.integrityCheck();
        if (check != "ok") throw CompactError("数据库文件已损坏：" + check);
        std::filesystem::remove(tmpPath);
        // A journal or log a killed compaction left would be played into the new copy.
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            std::filesystem::remove(tmpPath + suffix);
        db.vacuumInto(tmpPath);
        {
            // The copy comes out with a rollback journal; it takes the live file's mode.
            platform::Database copy(tmpPath);
            copy.exec("PRAGMA locking_mode = EXCLUSIVE");
            copy.useWriteAheadLog();
        }
        platform::writeDurableCopy(tmpPath, pending);
    } catch (const CompactError&) {
        throw;
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(pending, ignored);
        throw CompactError(e.what());
    }
    // The complete copy is on the disk; only the rename itself remains.
    try {
        db.replaceFile(pending);
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(pending, ignored);
        throw CompactError(e.what());
    }
}

} // namespace history
