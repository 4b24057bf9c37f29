#include "controls/MarqueeText.h"

#include "core/TextEncoding.h"

std::string FilterControlCodes(std::string_view text, char newControlCode) {
    std::string filtered;
    filtered.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 32)
            filtered += c;
        else if (newControlCode != '\0')
            filtered += newControlCode;
    }
    return filtered;
}

namespace {

// The character that begins at byte `i`, which must begin one.
std::string_view CharAt(std::string_view text, std::size_t i) {
    std::size_t end = i;
    NextUtf8Char(text, end);
    return text.substr(i, end - i);
}

// The character that ends at byte `end`, which must end one.
std::string_view CharBefore(std::string_view text, std::size_t end) {
    const std::size_t start = Utf8CharStart(text, end);
    return text.substr(start, end - start);
}

// Drops the characters that lie wholly left of the client area from the front of `window`,
// moving `pos` on to the first one kept.
void DropLeftOfClient(std::string& window, int& pos, const TMeasureWidth& measure) {
    std::size_t dropped = 0;
    while (dropped < window.size()) {
        const std::string_view c = CharAt(window, dropped);
        const int width = measure(c);
        if (width + pos >= 0)
            break;
        pos += width;
        dropped += c.size();
    }
    window.erase(0, dropped);
}

} // namespace

TStripText TMarqueeStyles::ScrollStep(bool reset, std::string_view text, int amount,
                                      int clientWidth, const TMeasureWidth& measure) {
    if (reset) {
        FScrollPos = clientWidth;
        FScrollNext = 1;
        FScrollWindow.clear();
    }
    if (text.empty())
        return {};
    FScrollPos -= amount;
    if (FScrollPos < 0)
        DropLeftOfClient(FScrollWindow, FScrollPos, measure);

    // The band repeats the text without end, so the filling stops only on reaching the right
    // edge; a text that measures nothing at all would never get there: a whole round of it that
    // adds no width ends the filling.
    // A text changed under the run takes its next character from its start again.
    if (FScrollNext > text.size() || !IsUtf8CharStart(text, FScrollNext - 1))
        FScrollNext = 1;
    int widthBeforeRound = measure(FScrollWindow);
    std::size_t addedThisRound = 0;
    for (int width = widthBeforeRound; width + FScrollPos < clientWidth;
         width = measure(FScrollWindow)) {
        if (addedThisRound >= text.size()) {
            if (width <= widthBeforeRound)
                break;
            widthBeforeRound = width;
            addedThisRound = 0;
        }
        const std::string_view c = CharAt(text, FScrollNext - 1);
        FScrollWindow += c;
        addedThisRound += c.size();
        FScrollNext += static_cast<std::uint32_t>(c.size());
        if (FScrollNext > text.size())
            FScrollNext = 1;
    }
    return {FScrollWindow, FScrollPos, true};
}

TStripText TMarqueeStyles::BlinkStep(bool reset, std::string_view text, int clientWidth,
                                     const TMeasureWidth& measure) {
    if (reset) {
        FBlinkOn = false;
        FBlinkWindow = text;
        while (!FBlinkWindow.empty() && measure(FBlinkWindow) > clientWidth)
            FBlinkWindow.resize(Utf8CharStart(FBlinkWindow, FBlinkWindow.size()));
    }
    if (text.empty())
        return {};
    const int x = (clientWidth - measure(FBlinkWindow)) / 2;
    FBlinkOn = !FBlinkOn;
    return {FBlinkWindow, x, FBlinkOn};
}

TStripText TMarqueeStyles::BounceStep(bool reset, std::string_view text, int amount,
                                      int clientWidth, const TMeasureWidth& measure) {
    // Control codes stripped under a running bounce may leave a state that no longer describes
    // a part of the text: the style then starts over, as at a reset.
    if (reset || !BounceStateFits(text)) {
        FBouncePos = clientWidth;
        FBounceIndex = 1;
        FBounceWindow.clear();
        FBounceDir = 1;
    }
    if (text.empty())
        return {};
    if (measure(text) < clientWidth)
        BounceFitting(text, amount, clientWidth, measure);
    else if (FBounceDir == 1)
        BounceLeft(text, amount, clientWidth, measure);
    else
        BounceRight(text, amount, clientWidth, measure);
    return {FBounceWindow, FBouncePos, true};
}

bool TMarqueeStyles::BounceStateFits(std::string_view text) const {
    // Moving left the window ends just before the index, moving right it starts just after it;
    // either way it begins and ends between characters of the text.
    const std::size_t size = FBounceWindow.size();
    std::size_t first = 0;
    if (FBounceDir == 1) {
        if (FBounceIndex < 1 || FBounceIndex > text.size() + 1 || size >= FBounceIndex)
            return false;
        first = FBounceIndex - 1 - size;
    } else {
        if (FBounceIndex > text.size() || size > text.size() - FBounceIndex)
            return false;
        first = FBounceIndex;
    }
    return IsUtf8CharStart(text, first) && IsUtf8CharStart(text, first + size);
}

void TMarqueeStyles::BounceFitting(std::string_view text, int amount, int clientWidth,
                                   const TMeasureWidth& measure) {
    // A text that has just come to fit (the control grew, or its font shrank) carries on from
    // where it stood: the window moves left by the part of the text that was out of view.
    const std::size_t first =
        FBounceDir == 1 ? FBounceIndex - 1 - FBounceWindow.size() : FBounceIndex;
    if (first > 0)
        FBouncePos -= measure(text.substr(0, first));
    FBounceWindow = text;
    if (FBounceDir == 1) {
        FBouncePos -= amount;
        if (FBouncePos <= 0)
            FBounceDir = -1;
    } else {
        FBouncePos += amount;
        if (measure(FBounceWindow) + FBouncePos >= clientWidth)
            FBounceDir = 1;
    }
    // The index keeps describing the whole text as the window, so that the text can stop
    // fitting at any step and move on from here.
    FBounceIndex = FBounceDir == 1 ? static_cast<std::uint32_t>(text.size() + 1) : 0;
}

void TMarqueeStyles::BounceLeft(std::string_view text, int amount, int clientWidth,
                                const TMeasureWidth& measure) {
    FBouncePos -= amount;
    if (FBouncePos < 0)
        DropLeftOfClient(FBounceWindow, FBouncePos, measure);
    while (measure(FBounceWindow) + FBouncePos < clientWidth) {
        if (FBounceIndex <= text.size()) {
            const std::string_view c = CharAt(text, FBounceIndex - 1);
            FBounceWindow += c;
            FBounceIndex += static_cast<std::uint32_t>(c.size());
        } else {
            // The end of the text is inside the right edge: back the other way.
            FBounceDir = -1;
            FBounceIndex = static_cast<std::uint32_t>(text.size() - FBounceWindow.size());
            break;
        }
    }
}

void TMarqueeStyles::BounceRight(std::string_view text, int amount, int clientWidth,
                                 const TMeasureWidth& measure) {
    FBouncePos += amount;
    while (!FBounceWindow.empty()) {
        const std::string_view last = CharBefore(FBounceWindow, FBounceWindow.size());
        if (measure(FBounceWindow) + FBouncePos - measure(last) <= clientWidth)
            break;
        FBounceWindow.resize(FBounceWindow.size() - last.size());
    }
    while (FBouncePos > 0) {
        if (FBounceIndex >= 1) {
            const std::string_view c = CharBefore(text, FBounceIndex);
            FBounceWindow.insert(0, c);
            FBouncePos -= measure(c);
            FBounceIndex -= static_cast<std::uint32_t>(c.size());
        } else {
            // The start of the text is inside the left edge: back the other way.
            FBounceDir = 1;
            FBounceIndex = static_cast<std::uint32_t>(FBounceWindow.size() + 1);
            break;
        }
    }
}

const std::string& TMarqueeStyles::Window(TScrollStyle style) const {
    switch (style) {
    case ssBlink:
        return FBlinkWindow;
    case ssBounce:
        return FBounceWindow;
    case ssScroll:
        break;
    }
    return FScrollWindow;
}
