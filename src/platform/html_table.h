#pragma once
// Reading a results page: its bytes decoded to UTF-8 by the character set it declares, and the
// rows of one table with the texts its cells display. Parsed with gumbo, an HTML5 parser, so a
// page is read as a browser would read it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The page's text as UTF-8. The character set comes from the Content-Type header value
// ("text/html; charset=gbk"), else from a byte-order mark (UTF-8, UTF-16LE, UTF-16BE), else from
// the page's own meta tag (<meta charset=...> or the http-equiv Content-Type form), else UTF-8
// when the bytes are valid UTF-8, else GB18030. UTF-8, UTF-16 (LE, BE), GBK, GB2312 and GB18030
// (any letter case) are known; GBK and GB2312 are read as GB18030, which holds both. Nothing when
// the declared character set is not known.
std::optional<std::string> decodePage(std::string_view bytes, std::string_view contentType);

// How deeply a page may nest its elements. Results pages nest a few dozen levels; a page far
// deeper is no results page, and parsing it would take minutes.
constexpr size_t kMaxNesting = 1000;

// How deeply the page's elements nest, read from its tags without building the tree (elements
// whose end tag may be left out, such as td and li, close as a browser closes them). Counting
// stops once the depth exceeds stopAbove, which is then returned; linear in the page's length.
size_t nestingDepth(std::string_view html, size_t stopAbove = kMaxNesting);

// The rows of the table element with the given id, wherever it stands in the page (inside other
// elements; rows directly in the table or in its thead, tbody and tfoot, in document order; rows
// of tables nested in a cell are not its rows). Each row is the displayed text of each of its
// cells (td and th) in order: the text of everything inside the cell a browser displays (not
// comments, scripts, styles, nor the content of iframe, noscript, template, object, noembed and
// noframes, nor elements hidden by the hidden attribute or a style of display:none or
// visibility:hidden, their own or a simple rule of the page's style sheets), block elements apart
// by a blank, inline ones run together, with every run of blanks (spaces, tabs, line breaks,
// no-break spaces) collapsed to one blank, trimmed. Hidden rows are left out; a hidden cell reads
// as empty. Nothing when no table has that id (a table inside a comment or one of those elements is
// no table), and nothing for a page nested deeper than kMaxNesting.
std::optional<std::vector<std::vector<std::string>>> tableRows(std::string_view html,
                                                               std::string_view id);

// A table row of a page as found, for pages that list their draws in a layout of their own.
struct PageCell {
    // The cell's text as a browser lays it out: block elements apart by a blank, inline elements
    // run together (20160908<span>052</span> reads "20160908052"), except numbers of one or two
    // digits each in an element of its own, which a page draws as balls (<em>03</em><em>07</em>
    // reads "03 07"); blanks collapsed, trimmed. Not the text of tables nested in the cell (their
    // rows are rows of their own), nor what a browser does not display (hidden elements too).
    std::string text;
    bool heading = false; // a th cell
    // The values of the attributes of the cell and of the elements inside it that hold at least
    // five digits (data-award="03 07 01 11 05"), in document order.
    std::vector<std::string> attributes;
    // For a word of the text outside tables: the element it stands in (in ResultsPage::elements).
    long element = -1;
};
// An element of the page as a layout is told by: the element it stands in (-1: none) and its
// frame, the marks (tag, class and id) of it and the elements around it that have a class or an
// id, outermost first ("div.page>div.content>ul.list"). Pages of one site in one layout have the
// same frames where they hold the same parts, with draws or without.
struct PageElement {
    long parent = -1;
    std::string frame;
};
struct PageRow {
    // Such attribute values of the row element itself; a row with no cells stands for an element
    // outside every table whose own attributes hold such values.
    std::vector<std::string> attributes;
    std::vector<PageCell> cells;
    // The element a table row (or an element outside tables) stands in.
    long element = -1;
    // The text outside tables between two tables (or the page's start or end), laid out as in a
    // cell, each word of it a cell of its own: pages that list their draws in lists or blocks
    // rather than tables.
    bool flow = false;
};

// What a results page holds: the rows of its table "draw_list" when it has one (as tableRows
// reads them), else every table row of the page (in document order, rows of nested tables after
// the row that holds them), the text outside tables, and the elements outside tables with
// attributes that hold digits.
struct ResultsPage {
    std::optional<std::vector<std::vector<std::string>>> drawList;
    std::vector<PageRow> rows;
    std::vector<PageElement> elements; // every element displayed, without a draw_list table
};

// Reads the page once. Nothing for a page nested deeper than kMaxNesting.
std::optional<ResultsPage> readResultsPage(std::string_view html);

} // namespace platform
