#include "platform/csv_reader.h"

#include "platform/text_decoding.h"

#include <csv.h>

#include <algorithm>
#include <array>

namespace platform {

namespace {

// Lines looked at to tell the delimiter.
constexpr int kDelimiterSampleLines = 50;
// Bytes handed to the parser at a time; a stop asked for by the sink takes effect between them.
constexpr size_t kChunk = 64 * 1024;

// Blanks dropped around unquoted fields. A tab is a blank only where it is not the delimiter.
int isBlank(unsigned char c) {
    return c == CSV_SPACE || c == CSV_TAB;
}
int isSpace(unsigned char c) {
    return c == CSV_SPACE;
}

// Line ends inside a quoted field: CR LF, a lone CR and a lone LF each count once.
int lineEndsIn(const char* data, size_t length) {
    int count = 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] == '\n') ++count;
        if (data[i] == '\r' && (i + 1 == length || data[i + 1] != '\n')) ++count;
    }
    return count;
}

struct ParseState {
    const SheetRowSink* sink = nullptr;
    SheetRow row;
    int line = 1;          // the line the current record starts on
    int linesInFields = 0; // line ends inside the current record's quoted fields
    size_t fields = 0;     // fields of the current record, those past the limit included
    int lastEnd = 0;       // the character that ended the previous record or blank line
    bool stopped = false;
};

void onField(void* data, size_t length, void* opaque) {
    auto& s = *static_cast<ParseState*>(opaque);
    ++s.fields;
    if (s.stopped || s.fields > kSheetColumnLimit) return;
    SheetCell cell;
    if (length > 0) {
        cell.kind = SheetCell::Kind::Text;
        cell.text.assign(static_cast<const char*>(data), length);
        s.linesInFields += lineEndsIn(cell.text.data(), length);
    }
    s.row.cells.push_back(std::move(cell));
}

void onRecordEnd(int c, void* opaque) {
    auto& s = *static_cast<ParseState*>(opaque);
    if (s.fields == 0) {
        // A line end outside any record: a blank line, or the LF of a CR LF.
        if (!(c == CSV_LF && s.lastEnd == CSV_CR)) ++s.line;
        s.lastEnd = c == CSV_LF && s.lastEnd == CSV_CR ? 0 : c;
        return;
    }
    auto& cells = s.row.cells;
    while (!cells.empty() && cells.back().kind == SheetCell::Kind::Empty) cells.pop_back();
    if (!cells.empty() && !s.stopped) {
        s.row.number = s.line;
        if (!(*s.sink)(s.row)) s.stopped = true;
    }
    s.line += s.linesInFields + 1;
    s.linesInFields = 0;
    s.fields = 0;
    cells.clear();
    s.lastEnd = c;
}

class Parser {
  public:
    explicit Parser(char delimiter) {
        if (csv_init(&parser_, CSV_REPALL_NL) != 0) throw SheetError("无法初始化CSV读取");
        csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
        csv_set_space_func(&parser_, delimiter == '\t' ? isSpace : isBlank);
    }
    ~Parser() { csv_free(&parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    bool parse(std::string_view text, ParseState& state, const SheetReadProgress& progress) {
        for (size_t at = 0; at < text.size() && !state.stopped; at += kChunk) {
            if (progress && !progress(at, text.size())) return false;
            const size_t length = std::min(kChunk, text.size() - at);
            if (csv_parse(&parser_, text.data() + at, length, onField, onRecordEnd, &state) !=
                length)
                throw SheetError(std::string("CSV读取出错：") + csv_strerror(csv_error(&parser_)));
        }
        if (!state.stopped) csv_fini(&parser_, onField, onRecordEnd, &state);
        return true;
    }

  private:
    csv_parser parser_{};
};

} // namespace

char guessDelimiter(std::string_view text) {
    constexpr std::array<char, 3> candidates = {',', '\t', ';'};
    std::array<int, 3> lines{}; // lines holding each candidate
    std::array<int, 3> total{};
    std::array<int, 3> inLine{};
    bool quoted = false;
    int sampled = 0;
    const auto endLine = [&] {
        for (size_t k = 0; k < candidates.size(); ++k) {
            if (inLine[k] > 0) ++lines[k];
            total[k] += inLine[k];
            inLine[k] = 0;
        }
        ++sampled;
    };
    for (size_t i = 0; i < text.size() && sampled < kDelimiterSampleLines; ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            endLine();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (!quoted) {
            for (size_t k = 0; k < candidates.size(); ++k)
                if (c == candidates[k]) ++inLine[k];
        }
    }
    endLine();
    size_t best = 0;
    for (size_t k = 1; k < candidates.size(); ++k)
        if (lines[k] > lines[best] || (lines[k] == lines[best] && total[k] > total[best])) best = k;
    return candidates[best];
}

bool readDelimitedText(std::string_view bytes, const SheetRowSink& sink,
                       const SheetReadProgress& progress) {
    const std::string text = toUtf8(decodeText(bytes).text);
    ParseState state;
    state.sink = &sink;
    return Parser(guessDelimiter(text)).parse(text, state, progress);
}

} // namespace platform
