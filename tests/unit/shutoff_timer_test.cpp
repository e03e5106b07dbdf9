#include "project/project_state.h"
#include "tools/shutoff_timer.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ShutOffTimer, FormatRoundsHalvesToEven) {
    EXPECT_EQ(FormatTimerText(90), "1:30");
    EXPECT_EQ(FormatTimerText(67.5), "1:08");
    EXPECT_EQ(FormatTimerText(45), "0:45");
    EXPECT_EQ(FormatTimerText(22.5), "0:22");
    EXPECT_EQ(FormatTimerText(3.75), "0:04");
    EXPECT_EQ(FormatTimerText(2.5), "0:02");
    EXPECT_EQ(FormatTimerText(1.25), "0:01");
    EXPECT_EQ(FormatTimerText(0), "0:00");
    EXPECT_EQ(FormatTimerText(725), "12:05");
    EXPECT_EQ(timerDisplayTexts(90), (std::array<QString, 4>{"1:30", "1:08", "0:45", "0:22"}));
    EXPECT_EQ(timerDisplayTexts(5), (std::array<QString, 4>{"0:05", "0:04", "0:02", "0:01"}));
}

TEST(ShutOffTimer, TextToMinutes) {
    EXPECT_EQ(TimerTextToMinutes("1:30"), 90);
    EXPECT_EQ(TimerTextToMinutes("12:05"), 725);
    EXPECT_EQ(TimerTextToMinutes("0:05"), 5);
    EXPECT_FALSE(TimerTextToMinutes("0:5"));
    EXPECT_FALSE(TimerTextToMinutes(""));
    EXPECT_FALSE(TimerTextToMinutes("a:30"));
    EXPECT_FALSE(TimerTextToMinutes("1:3x"));
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

    EXPECT_EQ(evaluateTimerEntry("0", "5").outcome, O::Accepted);
    EXPECT_EQ(evaluateTimerEntry("0", "0").outcome, O::Accepted);
    EXPECT_EQ(evaluateTimerEntry("1.5", "0").minutes, 90);
    EXPECT_EQ(evaluateTimerEntry("0", "75").minutes, 75);
    EXPECT_EQ(evaluateTimerEntry("0", "4.6").outcome, O::BelowMinimum);

    // Mended: negative and too long totals are refused instead of stored.
    const TimerEntry negative = evaluateTimerEntry("-1", "0");
    EXPECT_EQ(negative.outcome, O::Invalid);
    EXPECT_EQ(negative.message, "The timer length cannot be negative.");
    EXPECT_EQ(evaluateTimerEntry("1092", "15").outcome, O::Accepted);
    const TimerEntry tooLong = evaluateTimerEntry("1092", "16");
    EXPECT_EQ(tooLong.outcome, O::Invalid);
    EXPECT_EQ(tooLong.message, "Maximum value is 65535 Minutes (1092:15).");
    EXPECT_EQ(evaluateTimerEntry("99999999999", "0").outcome, O::Invalid);
    EXPECT_EQ(evaluateTimerEntry("one", "0").outcome, O::Invalid);
}

TEST(ShutOffTimer, StoringSetsMinutesAndDisplay) {
    ProjectState s;
    setShutOffTimer(s, 90);
    EXPECT_EQ(s.timerMinutes, 90.0);
    EXPECT_EQ(s.timerTexts[3], "0:22");
    EXPECT_TRUE(s.isModified());
}
