#include "app/StateKeeper.h"

#include "app/DisplayState.h"
#include "core/MessageLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A state file is a few hundred bytes; anything much larger is not one, and is not read whole.
constexpr qint64 kMaxStateBytes = 64 * 1024;

std::int64_t NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

QString StateFilePath() {
    // Honoured on Windows too, where only a test's environment sets it. A relative path is
    // passed over, as other programs reading the variable pass it over.
    const QString base = qEnvironmentVariable("XDG_STATE_HOME");
    QString folder = base + QStringLiteral("/tallivue");
    if (!QDir::isAbsolutePath(base)) {
#ifdef _WIN32
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/Outrider/Tallivue");
#else
        folder = QDir::homePath() + QStringLiteral("/.local/state/tallivue");
#endif
    }
    return QDir::toNativeSeparators(folder + QStringLiteral("/display.state"));
}

TStateKeeper::TStateKeeper(const TDisplayState& state, QString file, QObject* parent)
    : QObject(parent), FState(state), FFile(std::move(file)) {
    FWriteTimer.setSingleShot(true);
    FWriteTimer.setInterval(kWriteEveryMs);
    connect(&FWriteTimer, &QTimer::timeout, this, &TStateKeeper::Write);
}

TStateKeeper::~TStateKeeper() {
    if (FWriteTimer.isActive())
        Write();
}

void TStateKeeper::ModeHeard(std::span<const std::string_view> fields) {
    FModeFields.assign(fields.begin(), fields.end());
    FModeHeardAtMs = NowMs();
}

void TStateKeeper::Changed() {
    FHeard = true;
    if (!FWriteTimer.isActive())
        FWriteTimer.start();
}

std::optional<TKeptState> TStateKeeper::Kept() {
    QFile file(FFile);
    if (!file.exists())
        return std::nullopt;
    const auto passOver = [this](const QString& why) {
        LogLine(QStringLiteral("the kept state in %1 is passed over: %2")
                    .arg(QDir::toNativeSeparators(FFile), why)
                    .toStdString());
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly))
        return passOver(file.errorString());
    if (file.size() > kMaxStateBytes)
        return passOver(QStringLiteral("it is too large to be one"));
    const QByteArray bytes = file.readAll();
    std::string why;
    std::optional<TKeptState> state = ParseKeptState(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), why);
    if (!state)
        return passOver(QString::fromStdString(why));
    const std::int64_t age = NowMs() - state->SavedAtMs;
    if (age < 0)
        return passOver(QStringLiteral("it was saved later than now, by this PC's clock"));
    if (age >= kKeptStateLifetimeMs)
        return passOver(QStringLiteral("it is %1 minutes old").arg(age / 60000));
    return state;
}

void TStateKeeper::Write() {
    if (!FHeard)
        return;
    TKeptState state;
    state.SavedAtMs = NowMs();
    state.ModeFields = FModeFields;
    state.ModeHeardAtMs = FModeHeardAtMs;
    state.PacksPerTeam = FState.PacksPerTeam();
    state.Packs = FState.Packs();
    const std::string text = FormatKeptState(state);

    QDir().mkpath(QFileInfo(FFile).absolutePath());
    QSaveFile file(FFile);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), static_cast<qint64>(text.size())) ==
            static_cast<qint64>(text.size()) &&
        file.commit()) {
        ++FWrites;
        return;
    }
    // A full disk or a folder taken away: the display goes on, and says so once.
    const QString problem = file.errorString();
    if (FTold.insert(problem).second)
        LogLine(QStringLiteral("the display's state could not be kept in %1: %2")
                    .arg(QDir::toNativeSeparators(FFile), problem)
                    .toStdString());
}
