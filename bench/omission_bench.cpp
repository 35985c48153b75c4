// The omission statistics at 300,000 draws: the figures of every value for a kind and position
// (or a shape of the whole draw) over the whole history, and the omissions of one screen of rows
// at a random place; the basic trend chart over the last 30 draws (its omissions carried over
// from all the draws before) and over all of them.

#include "benchmarks.h"

#include "search/basic_trend.h"
#include "search/omission.h"
#include "workspace/workspace.h"

#include <optional>
#include <ostream>
#include <random>

namespace bench {

void runOmissionBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithHistory(draws);
    app::WorkspaceOptions options = workspaceOptions(folder);
    app::Workspace workspace(options);

    struct Case {
        const char* name;
        history::Kind kind;
        int position;
        std::optional<search::Shape> shape = std::nullopt;
    };
    const Case cases[] = {
        {"number, position 1", history::Number, 1},
        {"number, any position", history::Number, 0},
        {"zodiac, any position", history::ZodiacKind, 0},
        {"tail, position 3", history::Tail, 3},
        {"shape sum5", history::Number, 0, search::Shape::Sum5},
        {"shape route012", history::Number, 0, search::Shape::Route012},
        {"shape repeat", history::Number, 0, search::Shape::Repeat},
        {"shape neighbour", history::Number, 0, search::Shape::Neighbour},
        {"shape sum3", history::Number, 0, search::Shape::Sum3},
    };
    for (const Case& c : cases) {
        // The first use of a kind reads its values from the database.
        const auto reading = std::chrono::steady_clock::now();
        workspace.ensureKinds({c.kind});
        const double read =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - reading).count();
        search::OmissionRequest request;
        request.kind = c.kind;
        request.position = c.position;
        request.shape = c.shape;
        request.zodiacBase = workspace.settings().zodiacBase;
        request.segmentBase = workspace.settings().segmentBase;
        std::int64_t checksum = 0;
        const double summary = medianSeconds(5, [&] {
            const search::OmissionTable table(workspace.rows(), request, workspace.zodiac());
            checksum += table.summary().front().count;
        });

        // One screen of 40 rows with every value's omission, where the user scrolled to.
        const search::OmissionTable table(workspace.rows(), request, workspace.zodiac());
        std::mt19937 random(1);
        std::uniform_int_distribution<size_t> place(0, table.periods() - 40);
        const double screen = medianSeconds(101, [&] {
            const size_t top = place(random);
            for (size_t i = top; i < top + 40; ++i)
                for (size_t v = 0; v < table.values().size(); ++v) checksum += table.omission(i, v);
        });
        out << draws << " draws, " << c.name << ": reading the kind " << read * 1000
            << " ms, summary " << summary * 1000 << " ms (goal " << (c.shape ? 60 : 50)
            << " ms), one screen of 40 rows " << screen * 1e6 << " us" << (checksum < 0 ? " !" : "")
            << "\n";
    }

    workspace.ensureKinds({history::Number});
    const auto& rows = workspace.rows();
    for (const size_t span : {size_t{30}, rows.size()}) {
        search::OmissionRequest request;
        request.spanStart = rows[rows.size() - span].period;
        request.spanEnd = rows.back().period;
        std::int64_t checksum = 0;
        const double seconds = medianSeconds(5, [&] {
            const search::BasicTrend trend(rows, request, workspace.zodiac());
            checksum += trend.figures().front().omission.carriedCurrent;
        });
        out << draws << " draws, basic chart over the last " << span << ": " << seconds * 1000
            << " ms" << (checksum < 0 ? " !" : "") << "\n";
    }
}

} // namespace bench
