#include "web/SettingsForm.h"

#include "core/QtText.h"
#include "settings/RegistryDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace {

std::vector<std::string> ChoicesOf(const TSettingDef& setting) {
    std::vector<std::string> items;
    std::string_view text = setting.Choices;
    while (!text.empty()) {
        const std::size_t bar = text.find('|');
        items.emplace_back(text.substr(0, bar));
        text = bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1);
    }
    return items;
}

bool IsOnAPage(const TSettingDef& setting) {
    return setting.Page != TSettingPage::None;
}

// The colour words are the stored form of a colour the dialog ticks: what it shows for a word.
std::string TeamWord(TSettingId id, const std::string& stored) {
    const TTeamColour colour = id == sTeam2Colour ? Team2ColourOf(stored) : Team3ColourOf(stored);
    switch (colour) {
    case tcGreen:
        return "Green";
    case tcBlue:
        return "Blue";
    default:
        return "Yellow";
    }
}

const std::vector<std::string>* FileChoicesOf(const TSettingDef& setting,
                                              const TFileChoices& choices) {
    switch (setting.Files) {
    case TFileChoice::Picture:
        return &choices.Pictures;
    case TFileChoice::Sound:
        return &choices.Sounds;
    case TFileChoice::SoundFolder:
        return &choices.SoundFolders;
    case TFileChoice::None:
        break;
    }
    return nullptr;
}

std::int32_t Clamped(const TSettingDef& setting, std::int32_t number) {
    return setting.Limited ? std::clamp(number, setting.Min, setting.Max) : number;
}

QString Escaped(const std::string& text) {
    return FromUtf8(text).toHtmlEscaped();
}

QString Option(const QString& value, const QString& caption, bool selected) {
    return QStringLiteral("<option value=\"%1\"%2>%3</option>")
        .arg(value, selected ? QStringLiteral(" selected") : QString(), caption);
}

QString FieldHtml(const TSettingDef& setting, const TSettingValue& value,
                  const TFileChoices& choices) {
    const QString name = Escaped(setting.Name);
    const QString label = Escaped(setting.Label);
    const QString id = QStringLiteral("f") + QString::number(setting.Id);
    const auto row = [&](const QString& field) {
        return QStringLiteral("<div class=\"field\"><label for=\"%1\">%2</label>%3</div>\n")
            .arg(id, label, field);
    };
    if (setting.Kind == TSettingKind::Boolean)
        return QStringLiteral(
                   "<div class=\"field check\"><input type=\"checkbox\" id=\"%1\" name=\"%2\" "
                   "value=\"1\"%3><label for=\"%1\">%4</label></div>\n")
            .arg(id, name, std::get<bool>(value) ? QStringLiteral(" checked") : QString(), label);
    const std::vector<std::string> items = ChoicesOf(setting);
    if (setting.Kind == TSettingKind::Integer && !items.empty()) {
        QString options;
        const std::int32_t index = std::get<std::int32_t>(value);
        for (std::size_t i = 0; i < items.size(); ++i)
            options += Option(QString::number(i), Escaped(items[i]),
                              static_cast<std::int32_t>(i) == index);
        return row(
            QStringLiteral("<select id=\"%1\" name=\"%2\">%3</select>").arg(id, name, options));
    }
    if (setting.Kind == TSettingKind::Integer) {
        const std::int32_t low =
            setting.Limited ? setting.Min : std::numeric_limits<std::int32_t>::min();
        const std::int32_t high =
            setting.Limited ? setting.Max : std::numeric_limits<std::int32_t>::max();
        return row(
            QStringLiteral("<input type=\"number\" id=\"%1\" name=\"%2\" value=\"%3\" min=\"%4\" "
                           "max=\"%5\" step=\"%6\">")
                .arg(id, name)
                .arg(std::get<std::int32_t>(value))
                .arg(low)
                .arg(high)
                .arg(setting.Limited ? setting.Step : 1));
    }
    const std::string& text = std::get<std::string>(value);
    if (!items.empty()) {
        QString options;
        const std::string shown = TeamWord(setting.Id, text);
        for (const std::string& item : items)
            options += Option(Escaped(item), Escaped(item), item == shown);
        return row(
            QStringLiteral("<select id=\"%1\" name=\"%2\">%3</select>").arg(id, name, options));
    }
    if (const std::vector<std::string>* files = FileChoicesOf(setting, choices)) {
        QString options;
        if (setting.Files == TFileChoice::Sound)
            options += Option(QString(), QStringLiteral("(none)"), text.empty());
        const bool listed =
            text.empty() || std::find(files->begin(), files->end(), text) != files->end();
        if (!listed)
            options += Option(Escaped(text), Escaped(text) + QStringLiteral(" (as set now)"), true);
        for (const std::string& file : *files)
            options += Option(Escaped(file),
                              Escaped(QDir::toNativeSeparators(FromUtf8(file)).toStdString()),
                              file == text);
        return row(
            QStringLiteral("<select id=\"%1\" name=\"%2\">%3</select>").arg(id, name, options));
    }
    return row(QStringLiteral("<input type=\"text\" id=\"%1\" name=\"%2\" value=\"%3\">")
                   .arg(id, name, Escaped(text)));
}

std::string Shown(const TSettingValue& value) {
    if (const bool* flag = std::get_if<bool>(&value))
        return *flag ? "on" : "off";
    if (const std::int32_t* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return "\"" + std::get<std::string>(value) + "\"";
}

void AddFiles(std::vector<std::string>& files, const QString& folder, const QStringList& patterns) {
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList(patterns, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
        files.push_back(ToUtf8(QDir::toNativeSeparators(dir.filePath(name))));
}

} // namespace

TFileChoices ListFileChoices(const TSettingsEnvironment& environment, const QString& uploadFolder) {
    const QString program = FromUtf8(environment.ProgramFolder);
    const QStringList pictures{QStringLiteral("*.gif"),  QStringLiteral("*.bmp"),
                               QStringLiteral("*.png"),  QStringLiteral("*.jpg"),
                               QStringLiteral("*.jpeg"), QStringLiteral("*.ico")};
    TFileChoices choices;
    AddFiles(choices.Pictures, program + QStringLiteral("IMGs"), pictures);
    if (!uploadFolder.isEmpty())
        AddFiles(choices.Pictures, uploadFolder, pictures);
    AddFiles(choices.Sounds, program + QStringLiteral("Sounds"),
             {QStringLiteral("*.wav"), QStringLiteral("*.mp3"), QStringLiteral("*.mid"),
              QStringLiteral("*.midi")});
    const TSettingDef& folder = SettingDef(sTalkingFolder);
    choices.SoundFolders.push_back(
        std::get<std::string>(ResolveDefault(folder, folder.DialogDefault, environment)));
    return choices;
}

TSettingValues ReadDialogValues(TRegistryDef& registry, const TSettingsEnvironment& environment) {
    TSettingValues values;
    for (const TSettingsKey key : {TSettingsKey::Settings, TSettingsKey::Language}) {
        registry.OpenKey(key == TSettingsKey::Settings ? kSettingsKeyPath : kLanguageKeyPath, true);
        for (const TSettingDef& setting : AllSettings()) {
            if (setting.Key != key)
                continue;
            const TSettingValue def = ResolveDefault(setting, setting.DialogDefault, environment);
            TSettingValue value = ReadSetting(registry, setting, def);
            // As the dialog's fields take them: a number within the spin field's limits, an
            // index of no item as the dialog's default item.
            if (std::int32_t* number = std::get_if<std::int32_t>(&value)) {
                const auto items = ChoicesOf(setting);
                if (!items.empty() &&
                    (*number < 0 || *number >= static_cast<std::int32_t>(items.size())))
                    value = def;
                else
                    *number = Clamped(setting, *number);
            }
            values.Set(setting.Id, std::move(value));
        }
        registry.CloseKey();
    }
    return values;
}

std::string ValuesDigest(const TSettingValues& values) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const TSettingDef& setting : AllSettings()) {
        if (!IsOnAPage(setting))
            continue;
        const std::string shown = Shown(values.Value(setting.Id));
        hash.addData(QByteArrayView(shown.data(), static_cast<qsizetype>(shown.size() + 1)));
    }
    return hash.result().toHex().toStdString();
}

QString SettingsFields(const TSettingValues& values, const TFileChoices& choices) {
    QString html;
    for (int page = 1; page < kSettingPageCount; ++page) {
        html +=
            QStringLiteral("<fieldset><legend>%1</legend>\n")
                .arg(QString::fromUtf8(PageTitle(static_cast<TSettingPage>(page))).toHtmlEscaped());
        for (const TSettingDef& setting : AllSettings())
            if (static_cast<int>(setting.Page) == page)
                html += FieldHtml(setting, values.Value(setting.Id), choices);
        html += QStringLiteral("</fieldset>\n");
    }
    return html;
}

std::variant<TSettingChanges, std::string> ReadPostedSettings(const TFormFields& fields,
                                                              const TFileChoices& choices,
                                                              const TSettingValues& current) {
    TSettingChanges changes;
    for (const TSettingDef& setting : AllSettings()) {
        if (!IsOnAPage(setting))
            continue;
        const auto found = fields.find(std::string_view(setting.Name));
        const std::string label = std::string("\"") + setting.Label + "\"";
        if (setting.Kind == TSettingKind::Boolean) {
            changes.emplace_back(setting.Id, found != fields.end());
            continue;
        }
        if (found == fields.end())
            return label + " was not in the form: nothing was saved.";
        const std::string& posted = found->second;
        const std::vector<std::string> items = ChoicesOf(setting);
        if (setting.Kind == TSettingKind::Integer) {
            std::int32_t number = 0;
            if (!ParseSettingInteger(posted, number))
                return label + " takes a whole number: nothing was saved.";
            if (!items.empty() && (number < 0 || number >= static_cast<std::int32_t>(items.size())))
                return label + " has no such item: nothing was saved.";
            changes.emplace_back(setting.Id, Clamped(setting, number));
            continue;
        }
        if (!items.empty() && std::find(items.begin(), items.end(), posted) == items.end())
            return label + " has no such item: nothing was saved.";
        if (const std::vector<std::string>* files = FileChoicesOf(setting, choices)) {
            const bool keeps = posted == current.Text(setting.Id);
            const bool none = posted.empty() && setting.Files == TFileChoice::Sound;
            if (!keeps && !none && std::find(files->begin(), files->end(), posted) == files->end())
                return label + " is chosen among the files listed: nothing was saved.";
        }
        changes.emplace_back(setting.Id, posted);
    }
    return changes;
}

std::string WriteSettings(TRegistryDef& registry, const TSettingChanges& values,
                          const TSettingValues& before) {
    const auto writeAll = [&registry](const TSettingChanges& list) {
        for (const TSettingsKey key : {TSettingsKey::Settings, TSettingsKey::Language}) {
            if (!registry.OpenKey(
                    key == TSettingsKey::Settings ? kSettingsKeyPath : kLanguageKeyPath, true))
                throw TRegistryError("The settings key could not be opened for writing.");
            for (const auto& [id, value] : list) {
                const TSettingDef& setting = SettingDef(id);
                if (setting.Key != key)
                    continue;
                if (const bool* flag = std::get_if<bool>(&value))
                    registry.WriteBool(setting.Name, *flag);
                else if (const std::int32_t* number = std::get_if<std::int32_t>(&value))
                    registry.WriteInteger(setting.Name, *number);
                else
                    registry.WriteString(setting.Name, std::get<std::string>(value));
            }
            registry.CloseKey();
        }
    };
    registry.HoldChanges();
    try {
        writeAll(values);
    } catch (const TRegistryError& failure) {
        std::string error = failure.what();
        if (registry.HoldsChanges()) {
            registry.DiscardChanges();
            return error + " Nothing was saved.";
        }
        // Each value went in as it was written: the ones before the refusal go back.
        TSettingChanges previous;
        for (const auto& [id, value] : values)
            previous.emplace_back(id, before.Value(id));
        try {
            writeAll(previous);
        } catch (const TRegistryError&) {
            return error + " Some values may have been saved.";
        }
        return error + " Nothing was saved.";
    }
    if (!registry.CommitChanges())
        return "The settings file could not be written: nothing was saved.";
    return {};
}

std::string DescribeChanges(const TSettingChanges& values, const TSettingValues& before) {
    std::string text;
    for (const auto& [id, value] : values) {
        if (value == before.Value(id))
            continue;
        if (!text.empty())
            text += ", ";
        text += std::string(SettingDef(id).Name) + "=" + Shown(value);
    }
    return text.empty() ? "nothing changed" : text;
}
