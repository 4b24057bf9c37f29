#include "app/OpeningHours.h"

#include "core/Blanks.h"

namespace {

std::optional<int> Clock(std::string_view text) {
    if (text.size() != 5 || text[2] != ':')
        return std::nullopt;
    for (const std::size_t i : {0u, 1u, 3u, 4u})
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (minutes > 59 || hours > 24 || (hours == 24 && minutes != 0))
        return std::nullopt;
    return hours * 60 + minutes;
}

} // namespace

std::optional<TDayHours> ParseDayHours(std::string_view text) {
    text = WithoutBlanks(text);
    if (text.empty())
        return TDayHours{true, 0, 0};
    const auto dash = text.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto opens = Clock(WithoutBlanks(text.substr(0, dash)));
    const auto closes = Clock(WithoutBlanks(text.substr(dash + 1)));
    if (!opens || !closes || *opens == 24 * 60)
        return std::nullopt;
    return TDayHours{false, *opens, *closes};
}

bool WithinHours(const TOpeningHours& hours, int weekday, int minute) {
    const TDayHours& today = hours.Days[static_cast<std::size_t>((weekday + 6) % 7)];
    const TDayHours& yesterday = hours.Days[static_cast<std::size_t>((weekday + 5) % 7)];
    if (!today.Closed && minute >= today.Opens &&
        (today.Closes > today.Opens ? minute < today.Closes : true))
        return true;
    // The night before that ran past midnight.
    return !yesterday.Closed && yesterday.Closes <= yesterday.Opens && minute < yesterday.Closes;
}

bool ScreenWanted(const TOpeningHours& hours, const TScreenMoment& now) {
    if (!hours.Enabled || WithinHours(hours, now.Weekday, now.Minute))
        return true;
    return (now.MsSincePlay >= 0 && now.MsSincePlay < kLateGameMs) ||
           (now.MsSinceInput >= 0 && now.MsSinceInput < kInputMs);
}
