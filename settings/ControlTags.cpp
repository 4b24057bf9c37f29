#include "settings/ControlTags.h"

#include "settings/RegistryDef.h"

#include <QVariant>
#include <QWidget>

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
