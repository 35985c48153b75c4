// Storing a long synthetic history through the bulk path into a fresh database.

#include "benchmarks.h"
#include "synthetic_history.h"

#include "history/draw_appender.h"
#include "history/history_table.h"

#include <filesystem>
#include <ostream>

namespace bench {

void runStoreBenchmarks(std::ostream& out) {
    constexpr size_t kDraws = 300000;
    const auto draws = synthetic::makeHistory(kDraws);
    std::string lastFile;
    const double seconds = medianSeconds(3, [&] {
        lastFile = freshFolder("store") + "/kelvora11S5.db";
        platform::Database db(lastFile);
        history::createTables(db);
        history::Zodiac zodiac;
        platform::Transaction transaction(db);
        history::DrawAppender appender(db, zodiac, 1, false);
        for (const auto& d : draws) appender.append(d.period, d.numbers);
        transaction.commit();
    });
    out << "store " << kDraws << " draws: " << seconds << " s median of 3, "
        << static_cast<long>(kDraws / seconds) << " draws/s, database "
        << std::filesystem::file_size(lastFile) / (1024 * 1024) << " MiB\n";

    const double loadSeconds = medianSeconds(3, [&] {
        platform::Database db(lastFile);
        const auto rows = history::loadHistory(db);
        if (rows.size() != kDraws) throw std::runtime_error("lost rows");
    });
    out << "read " << kDraws << " draws into memory: " << loadSeconds << " s median of 3\n";
}

} // namespace bench

namespace bench {

std::string folderWithHistory(size_t draws) {
    const std::string folder = freshFolder("history");
    platform::Database db(folder + "/kelvora11S5.db");
    history::createTables(db);
    history::Zodiac zodiac;
    platform::Transaction transaction(db);
    history::DrawAppender appender(db, zodiac, 1, false);
    for (const auto& d : synthetic::makeHistory(draws)) appender.append(d.period, d.numbers);
    transaction.commit();
    return folder;
}

} // namespace bench
