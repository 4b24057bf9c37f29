#pragma once

// Which key a dialog control is stored in: its tag, 42 for the settings key and 43 for the
// Language key. Any other tag (none is 0) keeps the control out of the generic load and save.

#include <QList>

class QObject;
class QWidget;
class TRegistryDef;

constexpr int kSettingsKeyTag = 42;
constexpr int kLanguageKeyTag = 43;

void SetTag(QObject* component, int tag);
int TagOf(const QObject* component);

// The widgets below `owner` with `tag`, in the settings table's order (the dialog's, tab by tab),
// then any the table does not name.
QList<QWidget*> TaggedControls(const QObject* owner, int tag);

// ReadControl or WriteControl for each of them, into or from the key open in `registry`. A
// refused write stops the writing there and raises TRegistryError.
void ReadTaggedControls(const TRegistryDef& registry, const QObject* owner, int tag);
void WriteTaggedControls(TRegistryDef& registry, const QObject* owner, int tag);
