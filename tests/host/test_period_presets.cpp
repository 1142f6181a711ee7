// The period presets at the edges of weeks, months, quarters and years, and
// the move of a whole period, as the report receives their dates.
#include <gtest/gtest.h>

#include "PeriodPresets.h"

namespace {

QDate D(const char* iso) { return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate); }

struct PresetCase {
    const char* preset;
    const char* today;
    Qt::DayOfWeek firstDay;
    const char* first;
    const char* last;
};

void PrintTo(const PresetCase& c, std::ostream* os) { *os << c.preset << " on " << c.today; }

class PeriodPreset : public ::testing::TestWithParam<PresetCase> {};

TEST_P(PeriodPreset, ResolvesToWholeCalendarPeriods) {
    const PresetCase& c = GetParam();
    const int index = PeriodPresetIndex(QString::fromLatin1(c.preset));
    ASSERT_GE(index, 0);
    const std::optional<DatePeriod> period = ResolvePeriod(index, D(c.today), c.firstDay);
    ASSERT_TRUE(period.has_value());
    EXPECT_EQ(period->first, D(c.first));
    EXPECT_EQ(period->last, D(c.last));
}

constexpr Qt::DayOfWeek Sun = Qt::Sunday;
constexpr Qt::DayOfWeek Mon = Qt::Monday;

// preset | today | week starts | first | last
INSTANTIATE_TEST_SUITE_P(
    Edges, PeriodPreset,
    ::testing::Values(
        PresetCase{"hoje", "2024-02-29", Sun, "2024-02-29", "2024-02-29"},
        PresetCase{"ontem", "2025-01-01", Sun, "2024-12-31", "2024-12-31"},
        PresetCase{"ontem", "2024-03-01", Sun, "2024-02-29", "2024-02-29"},
        // 31/12/2025 is a Wednesday; 28/12 a Sunday, 29/12 a Monday.
        PresetCase{"esta-semana", "2025-12-31", Sun, "2025-12-28", "2026-01-03"},
        PresetCase{"esta-semana", "2025-12-31", Mon, "2025-12-29", "2026-01-04"},
        // The first day of a week is in that week, not the one before.
        PresetCase{"esta-semana", "2025-12-28", Sun, "2025-12-28", "2026-01-03"},
        PresetCase{"esta-semana", "2025-12-28", Mon, "2025-12-22", "2025-12-28"},
        PresetCase{"esta-semana", "2025-12-29", Mon, "2025-12-29", "2026-01-04"},
        PresetCase{"semana-passada", "2026-01-01", Sun, "2025-12-21", "2025-12-27"},
        PresetCase{"semana-passada", "2026-01-01", Mon, "2025-12-22", "2025-12-28"},
        PresetCase{"este-mes", "2024-02-29", Sun, "2024-02-01", "2024-02-29"},
        PresetCase{"este-mes", "2025-12-31", Sun, "2025-12-01", "2025-12-31"},
        PresetCase{"mes-passado", "2024-03-01", Sun, "2024-02-01", "2024-02-29"},
        PresetCase{"mes-passado", "2025-03-31", Sun, "2025-02-01", "2025-02-28"},
        PresetCase{"mes-passado", "2026-01-01", Sun, "2025-12-01", "2025-12-31"},
        PresetCase{"este-trimestre", "2024-02-29", Sun, "2024-01-01", "2024-03-31"},
        PresetCase{"este-trimestre", "2025-12-31", Sun, "2025-10-01", "2025-12-31"},
        PresetCase{"trimestre-passado", "2026-01-01", Sun, "2025-10-01", "2025-12-31"},
        PresetCase{"trimestre-passado", "2024-04-01", Sun, "2024-01-01", "2024-03-31"},
        PresetCase{"este-ano", "2025-12-31", Sun, "2025-01-01", "2025-12-31"},
        PresetCase{"ano-passado", "2025-01-01", Sun, "2024-01-01", "2024-12-31"},
        PresetCase{"ultimos-7-dias", "2024-03-01", Sun, "2024-02-24", "2024-03-01"},
        PresetCase{"ultimos-30-dias", "2024-03-01", Sun, "2024-02-01", "2024-03-01"},
        PresetCase{"ultimos-30-dias", "2025-03-01", Sun, "2025-01-31", "2025-03-01"},
        PresetCase{"ultimos-90-dias", "2025-01-01", Sun, "2024-10-04", "2025-01-01"}));

// Out of the years the dates can hold: nothing is put.
TEST(PeriodPresetLimits, OutsideTheYearsGivesNothing) {
    EXPECT_FALSE(ResolvePeriod(PeriodPresetIndex("ontem"), QDate(1, 1, 1), Sun));
    EXPECT_FALSE(ResolvePeriod(PeriodPresetIndex("esta-semana"), QDate(9999, 12, 31), Sun));
}

struct MoveCase {
    const char* first;
    const char* last;
    int direction;
    const char* movedFirst;
    const char* movedLast;  // empty: the period stays
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.first << ".." << c.last << " by " << c.direction;
}

class PeriodMove : public ::testing::TestWithParam<MoveCase> {};

TEST_P(PeriodMove, KeepsTheShapeOfThePeriod) {
    const MoveCase& c = GetParam();
    const std::optional<DatePeriod> moved = MovedPeriod({D(c.first), D(c.last)}, c.direction);
    if (*c.movedLast == '\0') {
        EXPECT_FALSE(moved.has_value());
        return;
    }
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->first, D(c.movedFirst));
    EXPECT_EQ(moved->last, D(c.movedLast));
}

// period | direction | moved period
INSTANTIATE_TEST_SUITE_P(
    Table, PeriodMove,
    ::testing::Values(MoveCase{"2025-02-01", "2025-02-28", 1, "2025-03-01", "2025-03-31"},
                      MoveCase{"2024-03-01", "2024-03-31", -1, "2024-02-01", "2024-02-29"},
                      MoveCase{"2024-01-01", "2024-01-31", 1, "2024-02-01", "2024-02-29"},
                      MoveCase{"2025-12-01", "2025-12-31", 1, "2026-01-01", "2026-01-31"},
                      MoveCase{"2024-01-01", "2024-03-31", 1, "2024-04-01", "2024-06-30"},
                      MoveCase{"2024-01-01", "2024-12-31", -1, "2023-01-01", "2023-12-31"},
                      MoveCase{"2025-12-28", "2026-01-03", -1, "2025-12-21", "2025-12-27"},
                      MoveCase{"2024-02-28", "2024-02-29", 1, "2024-03-01", "2024-03-02"},
                      MoveCase{"2024-02-10", "2024-02-10", -1, "2024-02-09", "2024-02-09"},
                      MoveCase{"2024-02-15", "2024-03-14", 1, "2024-03-15", "2024-04-12"},
                      MoveCase{"2024-03-10", "2024-03-01", 1, "", ""},
                      MoveCase{"9999-12-01", "9999-12-31", 1, "", ""}));

}  // namespace
