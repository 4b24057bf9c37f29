#include "app/MainU.h"
#include "app/Protocol.h"
#include "controls/Marquee.h"
#include "settings/Platform.h"
#include "support/Ink.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QUdpSocket>

namespace {

// Both keys, so that reading creates none and the file must stay exactly as written.
void WriteSettings(const std::string& values, const std::string& language = "") {
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue";
    WriteBytes(SettingsFilePath(),
               "REGEDIT4\n\n" + key + "]\n" + values + "\n" + key + "\\Language]\n" + language);
}

void Send(const QByteArray& datagram) {
    QUdpSocket().writeDatagram(datagram, QHostAddress::LocalHost, kDatagramPort);
}

bool HasGreen(QWidget* widget) {
    return widget && Contains(widget->grab().toImage(), widget->rect(), Qt::green);
}

QWidget* ShownTip() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            return widget;
    return nullptr;
}

} // namespace

// The display on a 1024 x 768 screen, given settings and datagrams that no sane source sends.
class HostileInputTest : public QObject {
    Q_OBJECT

private slots:
    void init() { std::filesystem::remove(SettingsFilePath()); }

    // As HTML a caption or a hint would fetch the pictures it names, /dev/zero among them; here
    // the picture is a green square, which must not show.
    void textsThatLookLikeHtmlShowAsText() {
        const TTempFolder folder;
        QImage green(40, 40, QImage::Format_RGB32);
        green.fill(Qt::green);
        green.save(QString::fromStdString((folder / "g.png").string()));
        const std::string html = "<img src=" + (folder / "g.png").string() + ">";
        WriteSettings("\"Msg1\"=\"" + html + "\"\n\"Text Total Packs\"=\"" + html + "\"\n");
        TDownload_Form form;
        form.FormActivate();
        form.show();
        Send(QByteArray::fromStdString("MODE,\"" + html + "\""));
        QTRY_COMPARE(form.laMode->text(), QString::fromStdString(html));
        QHelpEvent hover(QEvent::ToolTip, {5, 5}, form.Scroll_Message->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(form.Scroll_Message, &hover);
        QTRY_VERIFY(ShownTip());
        QVERIFY(!HasGreen(form.laMode) && !HasGreen(form.Total_Packs_Text) &&
                !HasGreen(ShownTip()));
    }
};

QTEST_MAIN(HostileInputTest)
#include "HostileInputTest.moc"
