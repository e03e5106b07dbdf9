#pragma once

#include <QString>
#include <array>
#include <optional>

namespace ondrel {

class ProjectState;

// The longest shut-off time the panel can hold: it stores the minutes in one 16-bit word.
inline constexpr int kMaxTimerMinutes = 65535;

// Display form of a number of minutes, "H:MM"; the minutes are first rounded to the nearest whole
// number, a half to the even neighbour (22.5 gives "0:22", 67.5 gives "1:08").
QString FormatTimerText(double minutes);

// Minutes of a display text: all but its last three characters are the hours, its last two the
// minutes ('1:30' gives 90, '12:05' 725). Nothing when either part is not a whole number ('0:5').
std::optional<int> TimerTextToMinutes(const QString& text);

// The four display texts of a timer: the full time, then its 75 %, 50 % and 25 % points.
std::array<QString, 4> timerDisplayTexts(double minutes);

// What the timer dialog's OK makes of the two boxes (already filled with "0" where empty).
struct TimerEntry {
    enum class Outcome { Accepted, BelowMinimum, Invalid };
    Outcome outcome = Outcome::Invalid;
    double minutes = 0; // the total, when accepted
    QString title;      // message box title and text, when not accepted
    QString message;
};
TimerEntry evaluateTimerEntry(const QString& hours, const QString& minutes);

// Stores an accepted total and its display texts in the project.
void setShutOffTimer(ProjectState& state, double minutes);

} // namespace ondrel
