#pragma once

#include "settings/FilePicker.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWindow;
class TGIFImage;
class TMediaPlayer;
class TSpinEdit;
class TStatusGrid;
class TWelcome_Form;
struct TSettingsEnvironment;

// What Save does to the display, without the settings layer knowing the display.
class TPropertiesHost {
public:
    virtual ~TPropertiesHost() = default;
    virtual void SetStayOnTop(bool onTop) = 0; // the display's window style
    virtual void FormActivate() = 0;           // the display lays itself out from the settings
};

// The properties dialog, where an operator edits every setting. Created anew for each opening
// and shown modally over the display. Each time it becomes the program's active window it loads
// every setting afresh; Save writes them all back and has the display lay itself out again.
// Controls are named after the settings they edit, as the generic load and save find them.
class TProp_Form : public QDialog {
    Q_OBJECT

public:
    TProp_Form(TWelcome_Form* welcome, TPropertiesHost* host, QWidget* parent = nullptr);
    ~TProp_Form() override;

    // Tab "Mode"
    QComboBox* Mode;
    QCheckBox* Show_Time_Left;
    TSpinEdit* Time_Remaining;
    QCheckBox* RightClickMenu;
    // Tab "Full screen"
    TSpinEdit* SetFullX;
    TSpinEdit* SetFullY;
    TSpinEdit* SetWidth;
    TSpinEdit* SetHeight;
    TGIFImage* SampleIMG;
    QLineEdit* BackgroundBMP;
    QToolButton* BackgroundBmpButton;
    QLineEdit* Title_;
    QToolButton* TitleButton;
    QLineEdit* Center_Logo;
    QToolButton* CenterLogoButton;
    QCheckBox* Always_On_Top;
    QCheckBox* ShowClock;
    QComboBox* ClockPosition;
    QCheckBox* Polygon;
    QCheckBox* Show_Total_Packs;
    // Tab "Floating window"
    TSpinEdit* SetFloatX;
    TSpinEdit* SetFloatY;
    TSpinEdit* SetFloatWidth;
    QCheckBox* HideWhenIdle;
    QCheckBox* HideWhenGame;
    // Tab "Scroll message"
    QCheckBox* ShowScrollMsg;
    QLabel* Msg1Label;
    QLineEdit* Msg1;
    QLabel* Msg2Label;
    QLineEdit* Msg2;
    QLabel* Msg3Label;
    QLineEdit* Msg3;
    QLabel* Msg4Label;
    QLineEdit* Msg4;
    QLabel* ScrollSpeedLabel;
    TSpinEdit* ScrollSpeed;
    // Tab "Status Grid"
    QLabel* Team1Panel;
    // Each button's id is the colour it stands for, a TTeamColour.
    QButtonGroup* Team2Colour;
    QButtonGroup* Team3Colour;
    QRadioButton* Team2Green;
    QRadioButton* Team2Blue;
    QRadioButton* Team3Green;
    QRadioButton* Team3Blue;
    QRadioButton* Team3Yellow;
    TSpinEdit* PacksPerTeam;
    QCheckBox* ShowTeamTotals;
    QCheckBox* ShowOverallTotals;
    QCheckBox* ShowCaptions;
    QCheckBox* ShowLittleNumbers;
    QCheckBox* ShowBars;
    TStatusGrid* StatusGrid1; // the preview
    // Tab "Audio"
    QCheckBox* Special_Event;
    TSpinEdit* Audio_Time_Left;
    QPushButton* PlayButton;
    QLineEdit* Audio_File;
    QToolButton* AudioFileButton;
    QCheckBox* Talking_Download;
    TSpinEdit* StillNeedDelayIncrement;
    QLineEdit* Talking_Folder;
    QToolButton* TalkingFolderButton;
    // Tab "International"
    QLineEdit* Playing_Game;
    QLineEdit* Idle;
    QLineEdit* Download_Packs;
    QLineEdit* Calculating;
    QLineEdit* Text_Played;
    QLineEdit* Text_Downloaded;
    // Tab "Network"
    TSpinEdit* No_Signal_Minutes;
    TSpinEdit* Web_Port;
    QLineEdit* Web_Address;
    QLabel* WebBoardAddress; // where the board opens in a browser, as the two fields say
    // Tab "Opening hours"
    QCheckBox* Opening_Hours;
    std::array<QLineEdit*, 7> Hours; // Monday first

    QTabWidget* PageControl1;
    QPushButton* AboutButton;
    QPushButton* SaveButton;
    QPushButton* CloseButton;
    TMediaPlayer* MediaPlayer1; // tries the special event's sound

    // Both pickers go through here; tests answer in place of the operator.
    std::function<QString(const TPickRequest&)> Pick;

    void FormActivate(); // loads every setting into the controls
    void SaveButtonClick();
    void CloseButtonClick();
    void AboutButtonClick();
    void Show_Time_LeftClick(); // the operator's click: unticking also sets the minutes to 0
    void ShowClockClick();
    void ShowScrollMsgClick();
    void GridSettingsChange(); // the preview follows the grid's controls
    // `sender`: one of the three picture buttons, or SampleIMG.
    void BackgroundBmpButtonClick(QObject* sender);
    void AudioFileButtonClick();
    void TalkingFolderButtonClick();
    void PlayButtonClick();
    void FormClose(); // stops a trial sound

    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreatePages();
    QWidget* CreateModePage();
    QWidget* CreateFullScreenPage();
    QWidget* CreateFloatingWindowPage();
    QWidget* CreateScrollMessagePage();
    QWidget* CreateStatusGridPage();
    QWidget* CreateAudioPage();
    QWidget* CreateInternationalPage();
    QWidget* CreateNetworkPage();
    QWidget* CreateOpeningHoursPage();
    void ShowBoardAddress();
    void ConnectHandlers();

    void SetDesignValues(const TSettingsEnvironment& environment);
    void LoadSamplePicture(const QString& fileName);
    void OpenTrialSound();
    QString RunPicker(const TPickRequest& request);
    bool ActivationStaysInTheProgram() const;
    void TakeTheKeyboardBack();
    void GiveBackTheWelcomeWindow();

    QPointer<TWelcome_Form> FWelcome; // the display's, which outlives the dialog
    TPropertiesHost* FHost;
    QString FLastPicture;            // where the picture picker starts, within one opening
    bool FLoadOnActivation = true;   // the next activation loads
    bool FPicking = false;           // a picker of the dialog's own is open
    QPointer<QWindow> FWelcomeOwner; // the welcome window's own parent, while it is lent to us
    bool FWelcomeLent = false;
};
