#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tessel/core/CodePage.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"

#include "quillot/frame/StockSheet.h"

using tessel::CodePage;
using tessel::MemoryStream;
using tessel::Ref;
using tessel::String;
using tessel::TextWriter;

namespace {

StockSheetRow product(const char16_t* name, const char16_t* specs, double qunty, double itmpr)
{
    StockSheetRow row;
    row.prdnm = name;
    row.specs = specs;
    row.unitg = u"个";
    row.qunty = qunty;
    row.itmpr = itmpr;
    return row;
}

std::string writeSheet(const std::vector<StockSheetRow>& rows)
{
    Ref<MemoryStream> stream = new MemoryStream();
    Ref<TextWriter> out = new TextWriter(stream, CodePage::UTF8);
    StockSheet::writeHead(*out);
    for (const StockSheetRow& row : rows)
        StockSheet::writeRow(*out, row);
    StockSheet::writeEnd(*out);
    return std::string(stream->getBuffer(), static_cast<size_t>(stream->getSize()));
}

std::string utf8(const String& text)
{
    return text.toStdString();
}

std::string encoded(int codePage, const char16_t* text)
{
    String source(text);
    std::string bytes(static_cast<size_t>(CodePage::encode(codePage, source.c_str(), source.size(), nullptr, 0)), '\0');
    CodePage::encode(codePage, source.c_str(), source.size(), bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

// What a command prints, or nothing when it failed.
std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    return pclose(pipe) == 0 ? output : std::string();
}

} // namespace

TEST(StockSheetTest, WrittenSheetIsWellFormedForAnotherParser)
{
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint is not installed";
    std::string path = testing::TempDir() + "stock-sheet-test.xml";
    std::ofstream(path, std::ios::binary)
        << writeSheet({product(u"<&>\"'螺丝\x01刀\x1F", u"M3\tx\r\n10", 5, 1.5), product(u"]]>", u"", 0, 0)});
    EXPECT_EQ(run("xmllint --noout '" + path + "' 2>&1 && echo ok"), "ok\n");
    // The other parser reads the name back as it was meant, minus the
    // characters XML cannot hold (xmllint ends its answer with a line break).
    std::string cell = "string(//*[local-name()='Row'][2]/*[local-name()='Cell'][1])";
    EXPECT_EQ(run("xmllint --xpath \"" + cell + "\" '" + path + "'"), utf8(u"<&>\"'螺丝刀\n"));
    std::remove(path.c_str());
}

TEST(StockSheetTest, WrittenRowsReadBackWithTheirValues)
{
    StockSheetRow missing = product(u"扳手 & 钳", u"", 0, 2.5);
    missing.demand = 5;
    missing.ordered = 2;
    std::vector<StockSheetRow> written = {product(u"螺丝刀", u"M3×10", 12.34565, 0.12345),
                                          product(u"A<B>", u"\"quoted\"", -3, 1234567.5), missing};
    std::string sheet = writeSheet(written);
    // Stock 0, demand 5 and ordered 2 leave 3 to be bought.
    EXPECT_NE(sheet.find(">-3.0000</Data>"), std::string::npos);

    StockSheet reader;
    ASSERT_TRUE(reader.read(sheet, u"STOCK.XML")) << utf8(reader.error());
    ASSERT_EQ(reader.rows().size(), written.size());
    const double expectedQunty[] = {12.3457, -3, 0};
    const double expectedCost[] = {0.12345, 1234567.5, 2.5}; // costs keep all their decimals
    for (size_t i = 0; i < written.size(); i++) {
        const StockSheetRow& row = reader.rows()[i];
        EXPECT_EQ(row.prdnm, written[i].prdnm);
        EXPECT_EQ(row.specs, written[i].specs);
        EXPECT_EQ(row.unitg, written[i].unitg);
        EXPECT_DOUBLE_EQ(row.qunty, expectedQunty[i]);
        EXPECT_DOUBLE_EQ(row.itmpr, expectedCost[i]);
        EXPECT_EQ(row.line, static_cast<int>(i) + 2);
    }
}

TEST(StockSheetTest, TextFilesDecodeInEachEncoding)
{
    const std::string title = utf8(u"名称,型号,单位,数量,单价\r\n");
    const std::string line = utf8(u"螺丝刀,M3,把,2,1.25\r\n");
    struct {
        const char* what;
        std::string bytes;
    } files[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + title + line},
        {"UTF-8", title + line},
        {"GBK", encoded(936, u"名称,型号,单位,数量,单价\r\n螺丝刀,M3,把,2,1.25\r\n")},
        {"UTF-16LE", "\xFF\xFE" + encoded(CodePage::UTF16LE, u"名称,型号,单位,数量,单价\r\n螺丝刀,M3,把,2,1.25")},
    };
    for (const auto& file : files) {
        StockSheet reader;
        ASSERT_TRUE(reader.read(file.bytes, u"stock.csv")) << file.what << ": " << utf8(reader.error());
        ASSERT_EQ(reader.rows().size(), 1u) << file.what;
        const StockSheetRow& row = reader.rows()[0];
        EXPECT_EQ(row.prdnm, String(u"螺丝刀")) << file.what;
        EXPECT_DOUBLE_EQ(row.qunty, 2) << file.what;
        EXPECT_DOUBLE_EQ(row.itmpr, 1.25) << file.what;
    }
}

TEST(StockSheetTest, QuotedFieldsHoldSeparatorsQuotesAndLineBreaks)
{
    std::string csv = "name,specs,unit,qty,cost\n"
                      "\"Bolt, long\" ,\"say \"\"hi\"\"\",\"bo\r\nx\",\" 3 \",4\n"
                      "  Nut  ,,, 1.5 ,\n";
    StockSheet reader;
    ASSERT_TRUE(reader.read(csv, u"in.Csv")) << utf8(reader.error());
    ASSERT_EQ(reader.rows().size(), 2u);
    EXPECT_EQ(reader.rows()[0].prdnm, String(u"Bolt, long"));
    EXPECT_EQ(reader.rows()[0].specs, String(u"say \"hi\""));
    EXPECT_EQ(reader.rows()[0].unitg, String(u"box"));
    EXPECT_DOUBLE_EQ(reader.rows()[0].qunty, 3);
    EXPECT_EQ(reader.rows()[1].prdnm, String(u"Nut"));
    EXPECT_EQ(reader.rows()[1].line, 4); // the quoted line break counts
    EXPECT_DOUBLE_EQ(reader.rows()[1].itmpr, 0);
}

TEST(StockSheetTest, RefusalsNameTheFieldAndLine)
{
    struct {
        const char16_t* file;
        std::string bytes;
        const char16_t* error;
        int line;
    } cases[] = {
        {u"a.csv", "t\nA,s,u,1,2\n\nB,s,u,1\n", u"format", 4},
        {u"a.csv", "t\nA,s,u,1,2\nB,s,u,x1,2\n", u"qunty", 3},
        {u"a.csv", "t\nB,s,u,1,1e3\n", u"itmpr", 2},
        {u"a.csv", "t\nB,s,u,1,2000000000000\n", u"itmpr", 2},
        {u"a.csv", "t\nA,s,u,1,2\n,s,u,1,2\nC,s,u,1,2\n", u"prdnm", 3},
        {u"a.csv", "t\nA,s,u,1,2\nB,\"open,u,1,2\nC,s,u,1,2\n", u"format", 3},
        {u"a.txt", "t\nA\ts\tu\t1\t2\nB,s,u,1,2\n", u"format", 3},
        {u"a.xml", "<Workbook><Row/><Row><Cell><Data>A</Data></Cell>", u"format", 2},
        {u"a.xml", "<Table><Row><Cell><Data>t</Data></Cell></Row></Table>", u"format", 0},
        {u"a.xml", "<Workbook></Workbook>", u"format", 0},
        {u"a.xml", "<Workbook><Row/><Row><Cell ss:Index=\"x\"/></Row></Workbook>", u"format", 2},
        {u"a.xml", "<Workbook><Row/><Row><Cell ss:Index=\"2\"><Data>s</Data></Cell></Row></Workbook>", u"prdnm", 2},
        {u"a.xml", "<Workbook><Row/><Row><Cell/><Cell/><Cell/><Cell><Data>?</Data></Cell></Row></Workbook>", u"prdnm",
         2},
    };
    for (const auto& test : cases) {
        StockSheet reader;
        EXPECT_FALSE(reader.read(test.bytes, test.file)) << test.bytes;
        EXPECT_EQ(reader.error(), String(test.error)) << test.bytes;
        EXPECT_EQ(reader.errorLine(), test.line) << test.bytes;
        EXPECT_TRUE(reader.rows().empty());
    }
}

TEST(StockSheetTest, TitlesAndEmptyLinesGiveNoRows)
{
    struct {
        const char16_t* file;
        std::string bytes;
    } cases[] = {
        {u"a.csv", ""},
        {u"a.csv", "name,specs,unit,qty,cost"},
        {u"a.csv", "name\r\n\r\n , ,\t, ,,,\r\n\"\",,\n\n"},
        {u"a.TXT", "name\n\t\t\n"},
        {u"a.xml", writeSheet({})},
        {u"a.xml", "<ss:Workbook><ss:Row/><ss:Row><ss:Cell><ss:Data> </ss:Data></ss:Cell></ss:Row></ss:Workbook>"},
    };
    for (const auto& test : cases) {
        StockSheet reader;
        EXPECT_TRUE(reader.read(test.bytes, test.file)) << test.bytes << ": " << utf8(reader.error());
        EXPECT_TRUE(reader.rows().empty()) << test.bytes;
    }
}

TEST(StockSheetTest, TabSeparatedTextForOtherNames)
{
    StockSheet reader;
    ASSERT_TRUE(reader.read("t\n\"A,1\"\t s \tu\t2\t0.5\textra\n", u"upload.dat"));
    ASSERT_EQ(reader.rows().size(), 1u);
    EXPECT_EQ(reader.rows()[0].prdnm, String(u"A,1"));
    EXPECT_EQ(reader.rows()[0].specs, String(u"s"));
    EXPECT_DOUBLE_EQ(reader.rows()[0].itmpr, 0.5);
}

TEST(StockSheetTest, SpreadsheetCellsFollowIndexAndPrefixes)
{
    // As Excel saves a sheet: prefixed names, skipped empty cells, entities,
    // and the trailing empty cells left out.
    std::string xml = "<?xml version=\"1.0\"?><ss:Workbook xmlns:ss=\"urn:x\"><ss:Worksheet><ss:Table>"
                      "<ss:Row><ss:Cell><ss:Data>title</ss:Data></ss:Cell></ss:Row>"
                      "<ss:Row ss:Height=\"14\"><ss:Cell><ss:Data ss:Type=\"String\">A &amp; B&#x4E2D;</ss:Data>"
                      "</ss:Cell><ss:Cell ss:Index=\"4\"><ss:Data ss:Type=\"Number\">7</ss:Data></ss:Cell></ss:Row>"
                      "<ss:Row><ss:Cell ss:MergeAcross=\"1\"><ss:Data>M</ss:Data></ss:Cell><ss:Cell><ss:Data>u"
                      "</ss:Data></ss:Cell><ss:Cell><ss:Data>1</ss:Data></ss:Cell><ss:Cell><ss:Data>2.125"
                      "</ss:Data></ss:Cell></ss:Row></ss:Table></ss:Worksheet>"
                      "<ss:Worksheet><ss:Table><ss:Row><ss:Cell><ss:Data>x</ss:Data></ss:Cell></ss:Row>"
                      "</ss:Table></ss:Worksheet></ss:Workbook>";
    StockSheet reader;
    ASSERT_TRUE(reader.read(xml, u"book.xml")) << utf8(reader.error()) << reader.errorLine();
    ASSERT_EQ(reader.rows().size(), 2u); // the second worksheet is not read
    EXPECT_EQ(reader.rows()[0].prdnm, String(u"A & B中"));
    EXPECT_EQ(reader.rows()[0].unitg, String());
    EXPECT_DOUBLE_EQ(reader.rows()[0].qunty, 7);
    EXPECT_EQ(reader.rows()[1].specs, String());
    EXPECT_EQ(reader.rows()[1].unitg, String(u"u"));
    EXPECT_DOUBLE_EQ(reader.rows()[1].itmpr, 2.125);
    EXPECT_EQ(reader.rows()[1].line, 3);
}

TEST(StockSheetTest, RefusesMoreRowsThanTheLimit)
{
    std::string csv = "title\n";
    for (int i = 0; i <= StockSheet::MAX_ROWS; i++)
        csv += "p,s,u,1,1\n";
    StockSheet reader;
    EXPECT_FALSE(reader.read(csv, u"big.csv"));
    EXPECT_EQ(reader.error(), String(u"format"));
    EXPECT_EQ(reader.errorLine(), StockSheet::MAX_ROWS + 2);
}
