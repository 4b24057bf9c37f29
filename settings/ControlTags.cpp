#include "settings/ControlTags.h"

#include "settings/RegistryDef.h"
#include "settings/SettingsTable.h"

#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

constexpr char kTagProperty[] = "tag";

} // namespace

void SetTag(QObject* component, int tag) {
    component->setProperty(kTagProperty, tag);
}

int TagOf(const QObject* component) {
    return component->property(kTagProperty).toInt();
}

QList<QWidget*> TaggedControls(const QObject* owner, int tag) {
    QList<QWidget*> controls;
    for (QWidget* control : owner->findChildren<QWidget*>())
        if (TagOf(control) == tag)
            controls.append(control);
    // Qt lists children as they were last re-parented or raised (a tab page that has been shown
    // moves to the end), which would make a refused save leave a different set of values written
    // each time. The settings table lists them tab by tab, top to bottom, as the dialog does.
    const auto rank = [](const QWidget* control) {
        const QByteArray name = control->objectName().toLatin1();
        const auto settings = AllSettings();
        const auto found = std::find_if(settings.begin(), settings.end(),
                                        [&](const TSettingDef& s) { return name == s.Control; });
        return found - settings.begin();
    };
    std::stable_sort(controls.begin(), controls.end(),
                     [&](const QWidget* a, const QWidget* b) { return rank(a) < rank(b); });
    return controls;
}

void ReadTaggedControls(const TRegistryDef& registry, const QObject* owner, int tag) {
    for (QWidget* control : TaggedControls(owner, tag))
        registry.ReadControl(control);
}

void WriteTaggedControls(TRegistryDef& registry, const QObject* owner, int tag) {
    for (QWidget* control : TaggedControls(owner, tag))
        registry.WriteControl(control);
}
