// Loading every setting into the dialog's controls, and saving them back.

#include "settings/Properties.h"

#include "controls/GIFImage.h"
#include "controls/MediaPlayer.h"
#include "controls/SpinEdit.h"
#include "controls/StatusGrid.h"
#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "settings/ControlTags.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "settings/SettingsTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

#include <exception>

namespace {

std::int32_t DialogNumber(TSettingId id, const TSettingsEnvironment& environment) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::int32_t>(ResolveDefault(setting, setting.DialogDefault, environment));
}

std::string DialogText(TSettingId id) {
    const TSettingDef& setting = SettingDef(id);
    return std::get<std::string>(ResolveDefault(setting, setting.DialogDefault, {}));
}

// The word a team's colour is stored as, which Team2ColourOf and Team3ColourOf read back; none
// for a group with no colour ticked.
const char* ColourWord(int colour) {
    switch (colour) {
    case tcGreen:
        return "Green";
    case tcBlue:
        return "Blue";
    case tcYellow:
        return "Yellow";
    default:
        return nullptr;
    }
}

// The parsers give only colours the team's group holds; were one missing, the group would keep
// its tick rather than be left with none.
void TickColour(QButtonGroup* team, TTeamColour colour) {
    if (QAbstractButton* button = team->button(colour))
        button->setChecked(true);
}

} // namespace

// What the controls show before anything is read: the dialog's defaults from the settings
// table, the lists with no item chosen.
void TProp_Form::SetDesignValues(const TSettingsEnvironment& environment) {
    for (const TSettingDef& setting : AllSettings()) {
        if (!*setting.Control)
            continue;
        auto* control = findChild<QWidget*>(QString::fromLatin1(setting.Control));
        const TSettingValue value = ResolveDefault(setting, setting.DialogDefault, environment);
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setChecked(std::get<bool>(value));
        else if (auto* list = qobject_cast<QComboBox*>(control))
            list->setCurrentIndex(-1);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(FromUtf8(std::get<std::string>(value)));
        else if (auto* spin = qobject_cast<TSpinEdit*>(control))
            spin->SetValue(std::get<std::int32_t>(value));
    }
    Show_Time_Left->setChecked(true);
    TickColour(Team2Colour, Team2ColourOf(DialogText(sTeam2Colour)));
    TickColour(Team3Colour, Team3ColourOf(DialogText(sTeam3Colour)));
}

void TProp_Form::FormActivate() {
    FLoadOnActivation = false;
    try {
        const TSettingsEnvironment environment = PlatformSettingsEnvironment();
        // Each load starts from the defaults, so an edit not yet saved goes even where nothing
        // is stored; the screen's size and the paths under the program folder are among them.
        SetDesignValues(environment);
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        if (registry.OpenKey(kSettingsKeyPath, true)) {
            ReadTaggedControls(registry, this, kSettingsKeyTag);
            if (QFileInfo(BackgroundBMP->text()).isFile())
                LoadSamplePicture(BackgroundBMP->text());
            if (Mode->currentIndex() < 0)
                Mode->setCurrentIndex(DialogNumber(sMode, environment));
            if (ClockPosition->currentIndex() < 0)
                ClockPosition->setCurrentIndex(DialogNumber(sClockPosition, environment));
            Show_Time_Left->setChecked(Time_Remaining->Value() != 0);
            Time_Remaining->setEnabled(Show_Time_Left->isChecked());
            ShowScrollMsgClick();
            ShowClockClick();
            for (QLineEdit* day : Hours)
                day->setEnabled(Opening_Hours->isChecked());
            GridSettingsChange();
            OpenTrialSound();

            const auto stored = [&registry](TSettingId id) {
                return registry.ReadStringDef(SettingDef(id).Name, DialogText(id));
            };
            TickColour(Team2Colour, Team2ColourOf(stored(sTeam2Colour)));
            TickColour(Team3Colour, Team3ColourOf(stored(sTeam3Colour)));
            registry.CloseKey();
        }
        if (registry.OpenKey(kLanguageKeyPath, false)) {
            ReadTaggedControls(registry, this, kLanguageKeyTag);
            registry.CloseKey();
        }
    } catch (const std::exception& failure) {
        ReportError(FromUtf8(failure.what()));
    }
    // Texts read from their beginning.
    for (int tag : {kSettingsKeyTag, kLanguageKeyTag})
        for (QWidget* control : TaggedControls(this, tag))
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                edit->home(false);
    // All four pack states side by side.
    for (int team = 1; team <= kTeamCount; ++team)
        for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
            StatusGrid1->SetPackState(team, pack, (team + pack) % 4);
}

void TProp_Form::LoadSamplePicture(const QString& fileName) {
    try {
        SampleIMG->LoadFromFile(fileName);
    } catch (const TPictureError& failure) {
        ReportError(QStringLiteral("%1\n\n%2").arg(FromUtf8(failure.what()), fileName));
    }
}

void TProp_Form::OpenTrialSound() {
    const std::string fileName = ToUtf8(Audio_File->text());
    MediaPlayer1->SetFileName(fileName);
    if (!MediaPlayer1->SoundFileExists(fileName))
        return;
    try {
        MediaPlayer1->Open();
    } catch (const TMediaError& failure) {
        ReportError(FromUtf8(failure.what()));
    }
}

void TProp_Form::SaveButtonClick() {
    // A number still being typed is saved as leaving its field would have left it, clamped.
    for (TSpinEdit* spin : findChildren<TSpinEdit*>())
        spin->interpretText();
    try {
        TRegistryDef registry(PlatformRegistryStore());
        registry.SetRootKey(TRootKey::LocalMachine);
        // Nothing has written the keys before the first save: reading never does.
        registry.OpenKey(kSettingsKeyPath, true);
        WriteTaggedControls(registry, this, kSettingsKeyTag);
        for (const auto& [id, team] :
             {std::pair{sTeam2Colour, Team2Colour}, std::pair{sTeam3Colour, Team3Colour}})
            if (const char* word = ColourWord(team->checkedId()))
                registry.WriteString(SettingDef(id).Name, word);
        registry.CloseKey();
        registry.OpenKey(kLanguageKeyPath, true);
        WriteTaggedControls(registry, this, kLanguageKeyTag);
        registry.CloseKey();
    } catch (const std::exception& failure) {
        // Values written so far stay; the display keeps its present layout.
        ReportError(FromUtf8(failure.what()));
        accept();
        return;
    }
    if (FHost) {
        FHost->SetStayOnTop(Always_On_Top->isChecked());
        FHost->FormActivate();
    }
    accept();
}
