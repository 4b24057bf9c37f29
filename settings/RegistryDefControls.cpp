// The dialog's side of TRegistryDef: loading and storing controls by their object names. Kept
// apart from the read rules, which need no widgets.

#include "settings/RegistryDef.h"

#include "controls/SpinEdit.h"
#include "core/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <climits>

namespace {

std::string ValueNameOf(const QWidget& control) {
    return ValueNameOfComponent(ToUtf8(control.objectName()));
}

int SpinValue(const QSpinBox& spin) {
    const auto* edit = qobject_cast<const TSpinEdit*>(&spin);
    return edit ? edit->Value() : spin.value();
}

void SetSpinValue(QSpinBox& spin, int value) {
    if (auto* edit = qobject_cast<TSpinEdit*>(&spin))
        edit->SetValue(value);
    else
        spin.setValue(value);
}

} // namespace

void TRegistryDef::ReadControl(QObject* component) const {
    auto* control = qobject_cast<QWidget*>(component);
    if (!control)
        return;
    const std::string name = ValueNameOf(*control);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(ReadBoolDef(name, box->isChecked()));
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        // A number that is no item's index leaves no item chosen (-1).
        list->setCurrentIndex(ReadIntegerDef(name, list->currentIndex()));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        const QString text = FromUtf8(ReadStringDef(name, ToUtf8(edit->text())));
        // An edit cuts its text at its length limit, and the dialog saves what the edit holds:
        // a longer stored text would come back cut short.
        if (text.size() > edit->maxLength())
            edit->setMaxLength(static_cast<int>(std::min<qsizetype>(text.size(), INT_MAX)));
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(FromUtf8(ReadStringDef(name, ToUtf8(label->text()))));
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        SetSpinValue(*spin, ReadIntegerDef(name, SpinValue(*spin)));
    }
}

void TRegistryDef::WriteControl(QObject* component) {
    auto* control = qobject_cast<QWidget*>(component);
    if (!control)
        return;
    const std::string name = ValueNameOf(*control);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        WriteBool(name, box->isChecked());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        WriteInteger(name, list->currentIndex());
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        WriteString(name, ToUtf8(edit->text()));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        WriteString(name, ToUtf8(label->text()));
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        // A spin field's refused write does not stop the save: the next control is stored.
        try {
            WriteInteger(name, SpinValue(*spin));
        } catch (const TRegistryError&) {
        }
    }
}
