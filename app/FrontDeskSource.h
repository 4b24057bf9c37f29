#pragma once

// What the front desk's web service may know of the display and ask of it, apart from its
// widgets: what the datagrams and the settings made of it, what it has heard, a picture of the
// window, and that stored settings are to be taken as the dialog's Save has them taken.

#include "app/DisplayState.h"
#include "settings/SettingValues.h"

#include <QImage>

#include <cstdint>
#include <string>

struct THeardCounts {
    std::uint64_t Taken = 0;   // datagrams read and believed
    std::uint64_t Dropped = 0; // read and dropped for their sender
    std::uint32_t LastSender = 0;
    qint64 MsSinceHeard = -1; // -1: nothing believed yet
    // Since when the display says the controller is silent, in ms since 1970; -1: it does not.
    std::int64_t SilentSinceMs = -1;
};

class TFrontDeskSource {
public:
    virtual ~TFrontDeskSource() = default;
    virtual const TDisplayState& State() const = 0;
    virtual const TSettingValues& Settings() const = 0;
    // The scroll message's text now; empty while none shows.
    virtual std::string ScrollText() const = 0;
    virtual THeardCounts Heard() const = 0;
    virtual QImage Screenshot() = 0;
    // The properties dialog is open: its Save would write over anything saved meanwhile.
    virtual bool PropertiesOpen() const = 0;
    // The stored settings changed: lay the display out from them as the dialog's Save does.
    virtual void TakeSavedSettings() = 0;
};
