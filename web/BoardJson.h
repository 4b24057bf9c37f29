#pragma once

// The board as the browser draws it, and the display's health, as JSON: made from what the
// display's own state holds, in the grid's own colours.

#include <QJsonObject>

class TFrontDeskSource;

// Mode, caption, countdown, title, the scroll message, every team's packs with their box
// colours, the totals, and which of them the display shows.
QJsonObject BoardJson(const TFrontDeskSource& source);

// The colour of a box as CSS writes it ("#rrggbb").
struct TRgb;
QString CssColour(const TRgb& colour);
