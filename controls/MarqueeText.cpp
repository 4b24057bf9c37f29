#include "controls/MarqueeText.h"

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

int CharWidth(const TMeasureWidth& measure, char c) {
    return measure(std::string_view(&c, 1));
}

// Drops the characters that lie wholly left of the client area from the front of `window`,
// moving `pos` on to the first one kept.
void DropLeftOfClient(std::string& window, int& pos, const TMeasureWidth& measure) {
    std::size_t dropped = 0;
    while (dropped < window.size()) {
        const int width = CharWidth(measure, window[dropped]);
        if (width + pos >= 0)
            break;
        pos += width;
        ++dropped;
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
    int widthBeforeRound = measure(FScrollWindow);
    std::size_t addedThisRound = 0;
    for (int width = widthBeforeRound; width + FScrollPos < clientWidth;
         width = measure(FScrollWindow)) {
        if (addedThisRound == text.size()) {
            if (width <= widthBeforeRound)
                break;
            widthBeforeRound = width;
            addedThisRound = 0;
        }
        if (FScrollNext > text.size())
            FScrollNext = 1; // the text was shortened under the run
        FScrollWindow += text[FScrollNext - 1];
        ++addedThisRound;
        if (++FScrollNext > text.size())
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
            FBlinkWindow.pop_back();
    }
    if (text.empty())
        return {};
    const int x = (clientWidth - measure(FBlinkWindow)) / 2;
    FBlinkOn = !FBlinkOn;
    return {FBlinkWindow, x, FBlinkOn};
}

TStripText TMarqueeStyles::BounceStep(bool reset, std::string_view text, int amount,
                                      int clientWidth, const TMeasureWidth& measure) {
    // Control codes stripped under a running bounce may leave the index past the shortened
    // text: the style then starts over, as at a reset.
    const std::uint32_t lastValidIndex = FBounceDir == 1 ? text.size() + 1 : text.size();
    if (reset || FBounceIndex > lastValidIndex) {
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

void TMarqueeStyles::BounceFitting(std::string_view text, int amount, int clientWidth,
                                   const TMeasureWidth& measure) {
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
}

void TMarqueeStyles::BounceLeft(std::string_view text, int amount, int clientWidth,
                                const TMeasureWidth& measure) {
    FBouncePos -= amount;
    if (FBouncePos < 0)
        DropLeftOfClient(FBounceWindow, FBouncePos, measure);
    while (measure(FBounceWindow) + FBouncePos < clientWidth) {
        if (FBounceIndex <= text.size()) {
            FBounceWindow += text[FBounceIndex - 1];
            ++FBounceIndex;
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
    while (!FBounceWindow.empty() &&
           measure(FBounceWindow) + FBouncePos - CharWidth(measure, FBounceWindow.back()) >
               clientWidth)
        FBounceWindow.pop_back();
    while (FBouncePos > 0) {
        if (FBounceIndex >= 1) {
            const char c = text[FBounceIndex - 1];
            FBounceWindow.insert(FBounceWindow.begin(), c);
            FBouncePos -= CharWidth(measure, c);
            --FBounceIndex;
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
