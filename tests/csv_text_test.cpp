// The CSV writer and reader of the tables: RFC 4180 quoting both ways, the
// line each row starts on, columns found by name with typed values, and
// failures that name the file, the line and the cause (or the column).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "textio/csv_text.h"
#include "textio/failure.h"

namespace qf::text {
namespace {

std::string failureOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const FileFailure& f) {
        return f.what();
    }
    return "no failure";
}

TEST(CsvWriter, QuotesWhereItMustAndEndsLinesWithCrLf) {
    CsvWriter csv{"file", "value"};
    csv.add("plain").add("1.5").end();
    csv.add("a, b").add("say \"hi\"").end();
    csv.row({"two\nlines", "cr\rhere"});
    csv.add("\xE9t\xE9").add("").end();  // Latin-1 bytes become U+FFFD
    EXPECT_EQ(csv.text(),
              "file,value\r\n"
              "plain,1.5\r\n"
              "\"a, b\",\"say \"\"hi\"\"\"\r\n"
              "\"two\nlines\",\"cr\rhere\"\r\n"
              "\xEF\xBF\xBDt\xEF\xBF\xBD,\r\n");
}

TEST(CsvTable, ReadsWhatTheWriterWritesAndTheLineOfEachRow) {
    CsvWriter csv{"file", "note", "L_nm"};
    csv.row({"a \"quoted\", name", "two\r\nlines", "331.5"});
    csv.row({"b", "", ""});
    csv.row({"", "\"", "-.5"});
    const CsvTable t = CsvTable::parse(csv.text(), "t.csv");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t.heading(), (std::vector<std::string>{"file", "note", "L_nm"}));
    EXPECT_EQ(t.fields(0), (std::vector<std::string>{"a \"quoted\", name", "two\r\nlines", "331.5"}));
    EXPECT_EQ(t.fields(1), (std::vector<std::string>{"b", "", ""}));
    EXPECT_EQ(t.fields(2), (std::vector<std::string>{"", "\"", "-.5"}));
    // The field with a line end makes the second row start on line 4.
    EXPECT_EQ(t.lineOf(0), 2);
    EXPECT_EQ(t.lineOf(1), 4);
    EXPECT_EQ(t.lineOf(2), 5);
}

TEST(CsvTable, LineEndsAndTheLastRow) {
    // LF alone, no line end after the last row, an empty quoted field last.
    CsvTable t = CsvTable::parse("a,b\nx,y\n1,\"\"", "t.csv");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t.fields(1), (std::vector<std::string>{"1", ""}));
    // An empty line is a row of one empty field; an empty text no table.
    t = CsvTable::parse("a\r\n\r\n", "t.csv");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t.fields(0), std::vector<std::string>{""});
    t = CsvTable::parse("", "t.csv");
    EXPECT_TRUE(t.heading().empty());
    EXPECT_TRUE(t.empty());
}

TEST(CsvTable, TextThatIsNotCsvNamesFileLineAndCause) {
    EXPECT_EQ(failureOf([] { CsvTable::parse("a,b\r\nx,y\"z\r\n", "t.csv"); }),
              "t.csv, line 2: quote inside an unquoted field");
    EXPECT_EQ(failureOf([] { CsvTable::parse("a\r\nb\r\n\"open\r\nstill\r\n", "t.csv"); }),
              "t.csv, line 3: quoted field not closed");
    EXPECT_EQ(failureOf([] { CsvTable::parse("a\r\n\"x\"y\r\n", "t.csv"); }),
              "t.csv, line 2: text after a quoted field");
    EXPECT_EQ(failureOf([] { CsvTable::parse("a\rb\r\n", "t.csv"); }),
              "t.csv, line 1: carriage return without line feed");
}

TEST(CsvTable, ColumnsByNameWithTypedValues) {
    // The columns in another order than the reader's: found by name.
    const CsvTable t = CsvTable::parse(
        "class,L_nm,file\r\n"
        "S,331.5,a\r\n"
        "I,,b\r\n"
        "II,abc,c\r\n"
        "III\r\n",
        "t.csv");
    const std::size_t l = t.column("L_nm"), cls = t.column("class");
    EXPECT_EQ(l, 1u);
    EXPECT_TRUE(t.hasColumn("file"));
    EXPECT_FALSE(t.hasColumn("DL_nm"));
    EXPECT_EQ(t.text(0, cls), "S");
    EXPECT_DOUBLE_EQ(t.number(0, l), 331.5);
    EXPECT_EQ(t.optionalNumber(1, l), std::nullopt);
    EXPECT_EQ(failureOf([&] { t.number(1, l); }), "t.csv, line 3: column \"L_nm\": no number");
    EXPECT_EQ(failureOf([&] { t.optionalNumber(2, l); }), "t.csv, line 4: column \"L_nm\": \"abc\" is not a number");
    EXPECT_EQ(failureOf([&] { t.text(3, l); }), "t.csv, line 5: column \"L_nm\": the row has 1 fields, the heading 3");
    // A renamed or missing column fails at once, naming it.
    EXPECT_EQ(failureOf([&] { t.column("DL_nm"); }), "t.csv, line 1: the heading has no column \"DL_nm\"");
}

TEST(FileFailure, NamesPathLineAndCause) {
    EXPECT_STREQ(FileFailure("a.csv", 3, "bad").what(), "a.csv, line 3: bad");
    EXPECT_STREQ(FileFailure("a.csv", 0, "bad").what(), "a.csv: bad");
    EXPECT_STREQ(FileFailure("", 0, "bad").what(), "bad");
    const FileFailure f("a.csv", 3, "bad");
    EXPECT_EQ(f.path(), "a.csv");
    EXPECT_EQ(f.line(), 3);
    EXPECT_EQ(f.cause(), "bad");
}

}  // namespace
}  // namespace qf::text
