#pragma once

#include <QWidget>

#include <span>
#include <string_view>
#include <vector>

class TListener;
class TStatusGrid;

// The display: a black borderless window that listens to the game controller and shows what
// it hears. Its elements are public, as the dialogs and tests reach them by name.
class TDownload_Form : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDesignWidth = 620;
    static constexpr int kDesignHeight = 509;

    explicit TDownload_Form(QWidget* parent = nullptr);
    ~TDownload_Form() override;

    TStatusGrid* StatusGrid1 = nullptr;
    TListener* Listener = nullptr;

    // Takes one datagram from the listener and hands it to the handler of its kind.
    void SocketMessage();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void PackStatusMessage(std::span<const std::string_view> fields);

    std::vector<std::string_view> FFields; // reused: splitting a datagram allocates nothing
};
