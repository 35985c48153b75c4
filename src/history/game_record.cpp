#include "history/game_record.h"

#include "history/game_catalog.h"

namespace history {

namespace {

std::int64_t pragmaValue(platform::Database& db, const char* name) {
    auto stmt = db.prepare(std::string("PRAGMA ") + name);
    return stmt.step() ? stmt.int64At(0) : 0;
}

} // namespace

GameRecord readGameRecord(platform::Database& db) {
    const std::int64_t id = pragmaValue(db, "application_id");
    if (id == 0) return {};
    if (id != kHistoryFileId) return {GameRecord::State::Foreign, 0};
    return {GameRecord::State::Recorded, static_cast<int>(pragmaValue(db, "user_version"))};
}

void recordGame(platform::Database& db, Game game) {
    // Both header fields change in one transaction: a file never holds our id with no game.
    platform::Transaction transaction(db);
    db.exec("PRAGMA application_id = " + std::to_string(kHistoryFileId));
    db.exec("PRAGMA user_version = " + std::to_string(static_cast<int>(game)));
    transaction.commit();
}

std::string gameName(Game game) {
    return games()->name(game);
}

} // namespace history
