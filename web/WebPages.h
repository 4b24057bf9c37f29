#pragma once

// The front desk's pages that the service makes itself: every text in them that came from the
// settings or a request is escaped, so it shows as text and never as markup.

#include <QString>

// A whole page around `body`, which is markup already.
QString WebPage(const QString& title, const QString& body);
// A page that only says something: `text` is plain text.
QString MessagePage(const QString& title, const QString& text, const QString& linkHref,
                    const QString& linkText);
QString LoginPage(const QString& token, const QString& problem);
// `fields` is markup from SettingsFields; `note` plain text, shown above them.
QString SettingsPage(const QString& fields, const QString& token, const QString& digest,
                     const QString& note, bool noteIsProblem);
