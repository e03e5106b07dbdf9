#include "tools/shutoff_timer.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ShutOffTimer, FormatRoundsHalvesToEvenAndReadsBack) {
    for (const auto& [minutes, text] : {std::pair{90.0, "1:30"},
                                        {67.5, "1:08"},
                                        {22.5, "0:22"},
                                        {3.75, "0:04"},
                                        {2.5, "0:02"},
                                        {0.0, "0:00"},
                                        {725.0, "12:05"}})
        EXPECT_EQ(FormatTimerText(minutes), text) << minutes;
    EXPECT_EQ(timerDisplayTexts(90), (std::array<QString, 4>{"1:30", "1:08", "0:45", "0:22"}));
    EXPECT_EQ(TimerTextToMinutes("12:05"), 725);
    for (const char* bad : {"0:5", "", "a:30", "1:3x"})
        EXPECT_FALSE(TimerTextToMinutes(bad)) << bad;
    // Every text the dialog can produce reads back to its rounded minutes.
    for (int m : {0, 5, 59, 60, 61, 599, 1439, kMaxTimerMinutes})
        EXPECT_EQ(TimerTextToMinutes(FormatTimerText(m)), m);
}

TEST(ShutOffTimer, EntryChecks) {
    using O = TimerEntry::Outcome;
    const TimerEntry below = evaluateTimerEntry("0", "4");
    EXPECT_EQ(below.outcome, O::BelowMinimum);
    EXPECT_EQ(below.title, "Re-Enter Timer length");
    EXPECT_EQ(below.message, "Minimum value is 5 Minutes.");

    for (const auto& [hours, minutes, total] : {std::tuple{"0", "5", 5.0},
                                                {"0", "0", 0.0},
                                                {"1.5", "0", 90.0},
                                                {"1092", "15", 65535.0}}) {
        EXPECT_EQ(evaluateTimerEntry(hours, minutes).outcome, O::Accepted) << hours << minutes;
        EXPECT_EQ(evaluateTimerEntry(hours, minutes).minutes, total);
    }
    EXPECT_EQ(evaluateTimerEntry("0", "4.6").outcome, O::BelowMinimum);

    // Mended: negative and too long totals are refused instead of stored.
    const TimerEntry negative = evaluateTimerEntry("-1", "0");
    EXPECT_EQ(negative.outcome, O::Invalid);
    EXPECT_EQ(negative.message, "The timer length cannot be negative.");
    const TimerEntry tooLong = evaluateTimerEntry("1092", "16");
    EXPECT_EQ(tooLong.outcome, O::Invalid);
    EXPECT_EQ(tooLong.message, "Maximum value is 65535 Minutes (1092:15).");
    for (const char* hours : {"99999999999", "one"})
        EXPECT_EQ(evaluateTimerEntry(hours, "0").outcome, O::Invalid) << hours;
}
