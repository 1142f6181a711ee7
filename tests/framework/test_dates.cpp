#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DateUtils.h"
#include "SysUtils.h"

namespace {

// A day as the screens write it, and its day of the week (1 Sunday).
struct KnownDay {
    TDateTime value;
    const char* text;
    int weekday;
};

class KnownDays : public ::testing::TestWithParam<KnownDay> {};

TEST_P(KnownDays, EncodesDecodesAndNamesTheWeekday) {
    const KnownDay& day = GetParam();
    EXPECT_EQ(DateToStr(day.value), QString::fromUtf8(day.text));
    EXPECT_EQ(StrToDate(QString::fromUtf8(day.text)), day.value);
    EXPECT_EQ(DayOfWeek(day.value), day.weekday);
}

INSTANTIATE_TEST_SUITE_P(
    AroundTheOriginAndFarYears, KnownDays,
    ::testing::Values(KnownDay{0, "30/12/1899", 7}, KnownDay{1, "31/12/1899", 1},
                      KnownDay{-1, "29/12/1899", 6}, KnownDay{2, "01/01/1900", 2},
                      KnownDay{61, "01/03/1900", 5}, KnownDay{36526, "01/01/2000", 7},
                      KnownDay{36585, "29/02/2000", 3}, KnownDay{45292, "01/01/2024", 2},
                      KnownDay{45351, "29/02/2024", 5}, KnownDay{-693593, "01/01/0001", 2},
                      KnownDay{2958465, "31/12/9999", 6}));

TEST(DateTime, NegativeValueKeepsTheDayAndCountsTheTimeForward) {
    EXPECT_EQ(DateToStr(-1.25), "29/12/1899");
    EXPECT_EQ(DateTimeToIso(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_EQ(DayOfWeek(-1.25), DayOfWeek(-1));
    // Between -1 and 0 the day is still 30/12/1899.
    EXPECT_EQ(DateToStr(-0.5), "30/12/1899");
}

TEST(DateTime, TimePartIsDroppedOrWrittenToTheSecond) {
    EXPECT_EQ(DateOf(45292.75), 45292.0);
    EXPECT_EQ(DateTimeToIso(45292), "2024-01-01");
    EXPECT_EQ(DateTimeToIso(45292.75), "2024-01-01 18:00:00");
    // Just before midnight stays on the same day.
    EXPECT_EQ(DateTimeToIso(45292.9999999999), "2024-01-01 23:59:59");
    EXPECT_EQ(DateToIso(-693593), "0001-01-01");
}

TEST(DateTime, EncodeRejectsDaysThatDoNotExist) {
    TDateTime value = 123;
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(2100, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(-1, 1, 1, value));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, value));
    EXPECT_EQ(value, 36585);
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
}

TEST(DateTime, ValuesOutsideTheYearsThrowOrGiveAnInvalidQDate) {
    const double outside[] = {-693594, 2958466, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};
    for (double value : outside) {
        int y = 0, m = 0, d = 0;
        EXPECT_THROW(DecodeDate(value, y, m, d), EConvertError) << value;
        EXPECT_THROW(DateToStr(value), EConvertError) << value;
        EXPECT_FALSE(ToQDate(value).isValid()) << value;
    }
    EXPECT_THROW(FromQDate(QDate()), EConvertError);
    EXPECT_THROW(FromQDate(QDate(10000, 1, 1)), EConvertError);
}

TEST(DateTime, RoundTripsThroughTextQDateAndParts) {
    for (TDateTime day = -693593; day <= 2958465; day += 997) {
        ASSERT_EQ(StrToDate(DateToStr(day)), day);
        ASSERT_EQ(FromQDate(ToQDate(day)), day);
        int y = 0, m = 0, d = 0;
        DecodeDate(day, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), day);
    }
}

TEST(DateTime, TodayHasNoTimePart) {
    const TDateTime today = Date();
    EXPECT_EQ(DateOf(today), today);
    EXPECT_GT(today, 45292);
}

struct ParseCase {
    const char* text;
    bool valid;
    int year, month, day;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseDateText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDateText, AcceptsOnlyRealDaysInTheScreenFormats) {
    const ParseCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    TDateTime value = 0;
    ASSERT_EQ(TryStrToDate(text, value), c.valid);
    if (c.valid) {
        EXPECT_EQ(value, EncodeDate(c.year, c.month, c.day));
    } else {
        try {
            StrToDate(text);
            FAIL() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' não é uma data válida.").arg(text));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Accepted, ParseDateText,
                         ::testing::Values(ParseCase{"05/03/2024", true, 2024, 3, 5},
                                           ParseCase{"5/3/2024", true, 2024, 3, 5},
                                           ParseCase{"05/3/2024", true, 2024, 3, 5},
                                           ParseCase{"  5/3/2024  ", true, 2024, 3, 5},
                                           ParseCase{"05032024", true, 2024, 3, 5},
                                           ParseCase{" 29022000 ", true, 2000, 2, 29},
                                           ParseCase{"29/02/2024", true, 2024, 2, 29},
                                           ParseCase{"30/12/1899", true, 1899, 12, 30},
                                           ParseCase{"01/01/0001", true, 1, 1, 1},
                                           ParseCase{"31/12/9999", true, 9999, 12, 31}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseDateText,
    ::testing::Values(
        ParseCase{"", false, 0, 0, 0}, ParseCase{"   ", false, 0, 0, 0},
        ParseCase{"  /  /    ", false, 0, 0, 0}, ParseCase{"05/03/24", false, 0, 0, 0},
        ParseCase{"5/3/24", false, 0, 0, 0}, ParseCase{"31/02/2024", false, 0, 0, 0},
        ParseCase{"29/02/1900", false, 0, 0, 0}, ParseCase{"29/02/2100", false, 0, 0, 0},
        ParseCase{"29/02/2023", false, 0, 0, 0}, ParseCase{"29022023", false, 0, 0, 0},
        ParseCase{"00/01/2024", false, 0, 0, 0}, ParseCase{"01/00/2024", false, 0, 0, 0},
        ParseCase{"01/13/2024", false, 0, 0, 0}, ParseCase{"01/01/0000", false, 0, 0, 0},
        ParseCase{"01/01/10000", false, 0, 0, 0}, ParseCase{"05/03/2024x", false, 0, 0, 0},
        ParseCase{"05/03/2024 1", false, 0, 0, 0}, ParseCase{"a5/03/2024", false, 0, 0, 0},
        ParseCase{"05-03-2024", false, 0, 0, 0}, ParseCase{"05 / 03 / 2024", false, 0, 0, 0},
        ParseCase{"005/03/2024", false, 0, 0, 0}, ParseCase{"+5/3/2024", false, 0, 0, 0},
        ParseCase{"5032024", false, 0, 0, 0}, ParseCase{"050320241", false, 0, 0, 0},
        ParseCase{"2024-03-05", false, 0, 0, 0},
        // Arabic-Indic digits are digits, but not ours.
        ParseCase{"\u0660\u0665/\u0660\u0663/\u0662\u0660\u0662\u0664", false, 0, 0, 0}));

}  // namespace
