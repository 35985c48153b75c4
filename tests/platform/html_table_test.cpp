#include "platform/html_table.h"

#include <gtest/gtest.h>

using namespace platform;
using Rows = std::vector<std::vector<std::string>>;

namespace {

const Rows kTwoDraws = {{"序号", "期号", "开奖号码", "详情"},
                        {"1", "2016090801", "05 03 08 01 11", "详情"},
                        {"2", "2016090802", "01 02 03 04 05", "详情"}};

std::string drawRows() {
    return "<tr><td>1</td><td>2016090801</td><td>05 03 08 01 11</td><td><a href=#>详情</a></td>"
           "</tr>\n<tr><td>2</td><td>2016090802</td><td>01 02 03 04 05</td><td>详情</td></tr>";
}

const std::string kHeading = "<tr><th>序号</th><th>期号</th><th>开奖号码</th><th>详情</th></tr>";

} // namespace

TEST(TableRows, RowsDirectlyInTheTableOrInItsSections) {
    const std::string sections = "<html><body><div><div><table id=\"draw_list\"><thead>" +
                                 kHeading + "</thead><tbody>" + drawRows() +
                                 "</tbody></table></div></div></body></html>";
    EXPECT_EQ(tableRows(sections, "draw_list"), kTwoDraws);

    const std::string direct =
        "<table id=draw_list>" + kHeading + "\n" + drawRows() + "</table>"; // no html, no body
    EXPECT_EQ(tableRows(direct, "draw_list"), kTwoDraws);

    // Row order is document order, a footer included.
    const std::string footer = "<table id=t><tbody><tr><td>a</td></tr></tbody><tfoot><tr><td>z"
                               "</td></tr></tfoot></table>";
    EXPECT_EQ(tableRows(footer, "t"), (Rows{{"a"}, {"z"}}));
}

TEST(TableRows, OnlyTheRealTableCounts) {
    // A commented-out table and a script naming the id come before the real table.
    const std::string page =
        "<html><head><script>var t = document.getElementById(\"draw_list\");"
        "var s = '<table id=\"draw_list\"><tr><td>9</td></tr></table>';</script></head><body>"
        "<!-- <table id=\"draw_list\"><tr><td>x</td><td>2099010101</td><td>01 02 03 04 05</td>"
        "<td>y</td></tr></table> -->"
        "<table id=\"draw_list\">" +
        kHeading + drawRows() + "</table></body></html>";
    EXPECT_EQ(tableRows(page, "draw_list"), kTwoDraws);

    // Another element holding the id is no table; the table with the id is found after it.
    const std::string divFirst =
        "<div id=draw_list>nothing</div><table id=draw_list>" + kHeading + "</table>";
    EXPECT_EQ(tableRows(divFirst, "draw_list"), (Rows{{"序号", "期号", "开奖号码", "详情"}}));
}

TEST(TableRows, NestedTableStaysInItsCell) {
    const std::string page = "<table id=list><tr><td>1</td><td><table id=inner><tr><td>05</td>"
                             "<td>03</td></tr><tr><td>08</td></tr></table></td><td>x</td></tr>"
                             "<tr><td>2</td></tr></table>";
    const auto rows = tableRows(page, "list");
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows, (Rows{{"1", "05 03 08", "x"}, {"2"}}));
    EXPECT_EQ(tableRows(page, "inner"), (Rows{{"05", "03"}, {"08"}}));
}

TEST(TableRows, CellTextAsDisplayed) {
    const std::string page = "<table id=t><tr>"
                             "<td>\n   05&nbsp;03<br>08\t01<!-- 09 --> <script>var a = 1;</script>"
                             "<style>td { color: red }</style>11 \r\n</td>"
                             "<td><span>2016</span><b>0908</b>52</td>"
                             "<td> 05　03 </td>" // an ideographic space is no blank here
                             "<td>&lt;b&gt; &amp;</td>"
                             "<td> \n </td><td></td>"
                             "</tr></table>";
    EXPECT_EQ(tableRows(page, "t"),
              (Rows{{"05 03 08 01 11", "2016090852", "05　03", "<b> &", "", ""}}));
}

TEST(TableRows, NoTableOrAnEmptyOne) {
    EXPECT_FALSE(tableRows("<html><body><p>维护中</p></body></html>", "draw_list"));
    EXPECT_FALSE(tableRows("", "draw_list"));
    EXPECT_FALSE(
        tableRows("<!-- <table id=draw_list><tr><td>1</td></tr></table> -->", "draw_list"));
    EXPECT_FALSE(tableRows("<table id=Draw_List><tr><td>1</td></tr></table>", "draw_list"));
    // A table without rows is there, with no rows: the reader must tell it from a missing one.
    const auto empty = tableRows("<table id=draw_list></table>", "draw_list");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST(DecodePage, CharsetFromHeaderMetaOrTheBytes) {
    const std::string gbk = "\xBF\xAA\xBD\xB1"; // 开奖
    const std::string metaGbk =
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\"><p>" + gbk;
    EXPECT_EQ(decodePage(metaGbk, "text/html"),
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\"><p>开奖");
    EXPECT_EQ(decodePage("<meta charset='gb2312'>" + gbk, ""), "<meta charset='gb2312'>开奖");

    // The header wins over the meta tag.
    EXPECT_EQ(decodePage("<meta charset=\"utf-8\">" + gbk, "text/html; charset=\"GB18030\""),
              "<meta charset=\"utf-8\">开奖");
    EXPECT_EQ(decodePage("<meta charset=gbk>期号", "text/html;charset=UTF-8"),
              "<meta charset=gbk>期号");

    // Nothing declared: valid UTF-8 stays, anything else is read as GB18030.
    EXPECT_EQ(decodePage("<p>期号 05</p>", ""), "<p>期号 05</p>");
    EXPECT_EQ(decodePage("<p>" + gbk + "</p>", "text/html"), "<p>开奖</p>");
    EXPECT_EQ(decodePage("", ""), "");

    // Declared UTF-8 that is not: the bad byte shows as U+FFFD, the rest is kept.
    EXPECT_EQ(decodePage("a\xFF"
                         "b",
                         "text/html; charset=utf-8"),
              "a\xEF\xBF\xBD"
              "b");
    // A byte-order mark is no text.
    EXPECT_EQ(decodePage("\xEF\xBB\xBFok", "text/html; charset=utf-8"), "ok");
}

TEST(DecodePage, AByteOrderMarkComesAfterTheHeaderAndBeforeTheMetaTag) {
    // 期号 in UTF-16, little- and big-endian, after their marks; the meta tag's gbk is wrong.
    const std::string le("\xFF\xFE\x1F\x67\xF7\x53<\0p\0>\0", 12);
    const std::string be("\xFE\xFF\x67\x1F\x53\xF7\0<\0p\0>", 12);
    EXPECT_EQ(decodePage(le, "text/html"), "期号<p>");
    EXPECT_EQ(decodePage(be, ""), "期号<p>");
    EXPECT_EQ(decodePage("\xEF\xBB\xBF<meta charset=gbk>期号", ""), "<meta charset=gbk>期号");
    // A meta tag naming UTF-16 in a page readable as ASCII is taken for UTF-8.
    EXPECT_EQ(decodePage("<meta charset=utf-16>期号", ""), "<meta charset=utf-16>期号");
    // UTF-16 named by the header without a byte order: the mark tells it.
    EXPECT_EQ(decodePage(be, "text/html; charset=utf-16"), "期号<p>");
}

TEST(DecodePage, UnknownCharsetIsNotGuessed) {
    EXPECT_FALSE(decodePage("<p>x</p>", "text/html; charset=iso-8859-1"));
    EXPECT_FALSE(decodePage("<meta charset=\"Shift_JIS\"><p>x</p>", "text/html"));
    // A charset mentioned beyond the page's head is not its meta tag.
    const std::string late = std::string(8000, ' ') + "<meta charset=big5>期号";
    EXPECT_EQ(decodePage(late, ""), late);
}

namespace {

std::string repeated(const std::string& text, size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

} // namespace

TEST(TableRows, PagesNestedTooDeeplyAreRefusedBeforeParsing) {
    // 300,000 spans around the table or inside its cell, 100,000 divs: refused, no crash.
    const std::string table = "<table id=t><tr><td>x</td><td>2016090801</td><td>01 02 03 04 05"
                              "</td><td>y</td></tr></table>";
    for (const std::string& page :
         {repeated("<span>", 300000) + table,
          "<table id=t><tr><td>" + repeated("<span>", 300000) + "x</td></tr></table>",
          repeated("<div>", 100000) + table}) {
        EXPECT_GT(nestingDepth(page), kMaxNesting);
        EXPECT_EQ(tableRows(page, "t"), std::nullopt);
    }

    // Just within the limit the table is found and its cell read.
    const std::string deep = repeated("<div>", kMaxNesting - 10) + "<table id=t><tr><td>" +
                             repeated("<b>", 5) + "05</td></tr></table>";
    EXPECT_LE(nestingDepth(deep), kMaxNesting);
    EXPECT_EQ(tableRows(deep, "t"), (Rows{{"05"}}));
}

TEST(TableRows, ElementsABrowserClosesByItselfDoNotCountAsNesting) {
    // Cells, rows, list items and paragraphs left open, unclosed spans in cells, end tags of
    // nothing, comments, scripts and attributes holding '<' and '>'.
    const std::string rows = repeated("<tr><td><span>1<td><span title='a>b<c'>2<td>x", 5000);
    const std::string page = "<!doctype html><html><body><!-- <div><div> --><script>var s = "
                             "'<div><div><div>';</script><ul>" +
                             repeated("<li><p>item</span></em>", 3000) + "</ul><table id=t>" +
                             rows + "</table></body></html>";
    EXPECT_LT(nestingDepth(page), 12u);
    const auto read = tableRows(page, "t");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 5000u);
    EXPECT_EQ(read->back(), (std::vector<std::string>{"1", "2", "x"}));
}

TEST(TableRows, TextABrowserDoesNotDisplayIsNotRead) {
    const std::string page =
        "<p>list</p><noscript><table id=t><tr><td>decoy</td></tr></table></noscript>"
        "<table id=t><tr><td>05<iframe>2016090801 01 02 03 04 05</iframe></td>"
        "<td><noscript>06</noscript>07<template>08</template><object>09</object></td>"
        "<td><noembed>10</noembed><noframes>11</noframes>12</td></tr></table>";
    EXPECT_EQ(tableRows(page, "t"), (Rows{{"05", "07", "12"}}));
}

namespace {

// The cell texts of every row of a page without a draw_list table, rows apart by " | ".
std::string cellTexts(const std::string& html) {
    const auto page = readResultsPage(html);
    std::string text;
    if (!page) return "(too deep)";
    for (const auto& row : page->rows) {
        if (!text.empty()) text += " | ";
        for (size_t i = 0; i < row.cells.size(); ++i) text += (i ? "/" : "") + row.cells[i].text;
    }
    return text;
}

} // namespace

TEST(ResultsPage, TextIsLaidOutAsABrowserShowsIt) {
    // Inline elements run together, blocks and cells stand apart; numbers drawn as balls in
    // elements of their own (with marks between them) stay apart.
    EXPECT_EQ(cellTexts("<table><tr><td>20160908<span>052</span></td><td>第<b>05</b>期</td>"
                        "<td><em>03</em><em>07</em><em>01</em></td><td><i>03</i>+<b>11</b></td>"
                        "<td><div>03</div><div>07</div></td><td><a>2016090801</a>期</td>"
                        "<td>2016<b>0908</b>52</td></tr></table>"),
              "20160908052/第05期/03 07 01/03 + 11/03 07/2016090801期/2016090852");
    // Outside tables each word is a cell, laid out the same way.
    EXPECT_EQ(cellTexts("<div>20160908<span>052</span> <i>03</i><i>07</i></div><p>09:10</p>"),
              "20160908052/03/07/09:10");
    // A time in an element of its own stands apart from the id beside it, which would otherwise
    // take the hour's digits for its own.
    EXPECT_EQ(cellTexts("<table><tr><td><span>2016090801</span><span>09:10</span></td>"
                        "<td>09:20:00<b>02</b></td><td><i>12</i><i>3:40</i>x</td></tr></table>"),
              "2016090801 09:10/09:20:00 02/12 3:40 x");
}

TEST(ResultsPage, HiddenElementsAreNotRead) {
    EXPECT_EQ(cellTexts(R"(<table><tr><td>01 02 03 04 05<span style="display: none">大小</span></td>
        <td><span hidden>x</span><span style="VISIBILITY:hidden;">y</span>z</td>
        <td style="color:red; display:none !important">w</td><td style="xdisplay:none">v</td></tr>
        <tr style="display:none"><td>2016090801</td><td>06 07 08 09 10</td></tr>
        <tr hidden><td>2016090801</td></tr></table>
        <div style="display:none"><p>2016090802 01 02 03 04 05</p></div>
        <input type="hidden" value="2016090803"><input type=HIDDEN name="01 02 03 04 05">)"),
              "01 02 03 04 05/z/v");
    // Hidden by the page's own style sheets: simple selectors, lists of them, compound classes,
    // tags with a class or an id. Rules a browser may not apply here are not taken: a rule for
    // descendants, one inside @media, a sheet for print, one in a comment; an own style that
    // shows the element again wins over the sheet.
    EXPECT_EQ(cellTexts(R"(<style>/* .shown {display:none} */ .shape, tr.copy { display : none }
        .a.b{visibility:hidden} #twin{display:none!important} @media (max-width:600px){.pc{
        display:none}} div .deep{display:none} .big{font-size:20px}</style>
        <style media="print">.screen{display:none}</style>
        <table><tr><td>01 02 03 04 05<span class="x shape">大小大小大</span></td><td class=a>p</td>
        <td class="b a">q</td><td id=twin>r</td><td class=pc>s</td><td class=screen>t</td>
        <td class=shown>u</td><td><div><i class=deep>v</i></div></td>
        <td class=shape style="display:inline">w</td><td class=big>x</td></tr>
        <tr class="copy"><td>2016090801</td><td>06 07 08 09 10</td></tr>
        <tr><td class=Shape>y</td></tr></table>)"),
              "01 02 03 04 05/p/s/t/u/v/w/x | y");
    // In a draw_list table: hidden rows are left out, a hidden cell keeps its place, empty.
    EXPECT_EQ(tableRows("<table id=t><tr><td>a</td><td hidden>b</td><td>c<i style='display:"
                        "none'>d</i></td></tr><tr style='display:none'><td>e</td></tr></table>",
                        "t"),
              (Rows{{"a", "", "c"}}));
}
