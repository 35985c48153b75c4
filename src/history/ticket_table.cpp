#include "history/ticket_table.h"

namespace history {

namespace {

constexpr const char* kColumns =
    "ID, Recorded, Play, Entered, Tickets, Multiplier, PriceFen, Periods, StopOnWin, Multipliers";

TicketRow readRow(platform::Statement& read) {
    TicketRow row;
    auto text = [&](int c, std::string& into) {
        if (read.isNullAt(c) || read.isIntegerAt(c))
            row.typesSound = false;
        else
            into = read.textAt(c);
    };
    auto integer = [&](int c, std::int64_t& into) {
        if (!read.isIntegerAt(c))
            row.typesSound = false;
        else
            into = read.int64At(c);
    };
    integer(0, row.id);
    text(1, row.recorded);
    text(2, row.play);
    text(3, row.entered);
    text(4, row.tickets);
    integer(5, row.multiplier);
    integer(6, row.priceFen);
    text(7, row.periods);
    integer(8, row.stopOnWin);
    if (!read.isNullAt(9)) text(9, row.multipliers);
    return row;
}

void bindRow(platform::Statement& write, const TicketRow& row, bool withId) {
    int k = 1;
    if (withId) write.bind(k++, row.id);
    write.bind(k++, row.recorded);
    write.bind(k++, row.play);
    write.bind(k++, row.entered);
    write.bind(k++, row.tickets);
    write.bind(k++, row.multiplier);
    write.bind(k++, row.priceFen);
    write.bind(k++, row.periods);
    write.bind(k++, row.stopOnWin);
    write.bind(k++, row.multipliers);
}

} // namespace

void createTicketTable(platform::Database& db) {
    db.exec("CREATE TABLE IF NOT EXISTS Touzhu (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
            "Recorded TEXT, Play TEXT, Entered TEXT, Tickets TEXT, Multiplier INTEGER, "
            "PriceFen INTEGER, Periods TEXT, StopOnWin INTEGER, Multipliers TEXT)");
}

bool hasTicketTable(platform::Database& db) {
    auto query = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Touzhu'");
    return query.step();
}

std::vector<TicketRow> loadTicketRows(platform::Database& db) {
    std::vector<TicketRow> rows;
    if (!hasTicketTable(db)) return rows;
    auto read = db.prepare(std::string("SELECT ") + kColumns + " FROM Touzhu ORDER BY ID");
    while (read.step()) rows.push_back(readRow(read));
    return rows;
}

std::int64_t insertTicketRow(platform::Database& db, const TicketRow& row) {
    auto write = db.prepare("INSERT INTO Touzhu (Recorded, Play, Entered, Tickets, Multiplier, "
                            "PriceFen, Periods, StopOnWin, Multipliers) VALUES "
                            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    bindRow(write, row, false);
    write.run();
    return db.lastInsertId();
}

bool deleteTicketRow(platform::Database& db, std::int64_t id) {
    auto remove = db.prepare("DELETE FROM Touzhu WHERE ID = ?1");
    remove.bind(1, id);
    remove.run();
    return db.changes() > 0;
}

void copyTicketRows(platform::Database& live, platform::Database& fresh) {
    if (!hasTicketTable(live)) return;
    createTicketTable(fresh);
    // Copied value for value, whatever their types, so that a damaged row stays as it was.
    auto read = live.prepare(std::string("SELECT ") + kColumns + " FROM Touzhu ORDER BY ID");
    auto write = fresh.prepare(std::string("INSERT INTO Touzhu (") + kColumns +
                               ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    while (read.step()) {
        for (int c = 0; c < 10; ++c) {
            if (read.isNullAt(c))
                write.bindNull(c + 1);
            else if (read.isIntegerAt(c))
                write.bind(c + 1, read.int64At(c));
            else
                write.bind(c + 1, read.textViewAt(c));
        }
        write.run();
    }
}

} // namespace history
