#include "tools/shutoff_timer.h"

#include "project/project_state.h"
#include "project/value.h"

#include <cmath>

namespace ondrel {

QString FormatTimerText(double minutes) {
    // rint rounds in the default mode, to nearest with halves to even.
    const auto whole = static_cast<qint64>(std::rint(minutes));
    const qint64 hours = whole / 60;
    const qint64 rest = whole % 60;
    return QString::number(hours) + QLatin1Char(':') +
           (rest < 10 ? QStringLiteral("0") : QString()) + QString::number(rest);
}

namespace {
std::optional<int> digits(QStringView text) {
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    int n = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}
} // namespace

std::optional<int> TimerTextToMinutes(const QString& text) {
    if (text.size() < 4)
        return std::nullopt;
    const auto hours = digits(QStringView(text).left(text.size() - 3));
    const auto minutes = digits(QStringView(text).right(2));
    if (!hours || !minutes)
        return std::nullopt;
    return *hours * 60 + *minutes;
}

std::array<QString, 4> timerDisplayTexts(double minutes) {
    return {FormatTimerText(minutes), FormatTimerText(minutes * 0.75),
            FormatTimerText(minutes * 0.5), FormatTimerText(minutes * 0.25)};
}

TimerEntry evaluateTimerEntry(const QString& hours, const QString& minutes) {
    TimerEntry entry;
    const auto h = Value(hours).toReal();
    const auto m = Value(minutes).toReal();
    if (!h || !m) {
        entry.title = QStringLiteral("Re-Enter Timer length");
        entry.message =
            QStringLiteral("Enter the hours and the minutes as numbers, for example 1 and 30.");
        return entry;
    }
    const double total = *h * 60 + *m;
    if (total > 0 && total < 5) {
        entry.outcome = TimerEntry::Outcome::BelowMinimum;
        entry.title = QStringLiteral("Re-Enter Timer length");
        entry.message = QStringLiteral("Minimum value is 5 Minutes.");
        return entry;
    }
    // Negative times have no meaning to the panel, and longer ones would wrap in its 16-bit word.
    if (total < 0) {
        entry.title = QStringLiteral("Re-Enter Timer length");
        entry.message = QStringLiteral("The timer length cannot be negative.");
        return entry;
    }
    if (std::rint(total) > kMaxTimerMinutes) {
        entry.title = QStringLiteral("Re-Enter Timer length");
        entry.message = QStringLiteral("Maximum value is %1 Minutes (%2).")
                            .arg(kMaxTimerMinutes)
                            .arg(FormatTimerText(kMaxTimerMinutes));
        return entry;
    }
    entry.outcome = TimerEntry::Outcome::Accepted;
    entry.minutes = total;
    return entry;
}

void setShutOffTimer(ProjectState& state, double minutes) {
    const ProjectState::Batch batch(state);
    state.setTimerMinutes(minutes);
    state.setTimerTexts(timerDisplayTexts(minutes));
}

} // namespace ondrel
