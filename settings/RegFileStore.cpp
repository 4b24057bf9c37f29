#include "settings/RegFileStore.h"

#include "core/TextEncoding.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

// A path as the program's text, UTF-8 on every system.
std::string PathText(const std::filesystem::path& file) {
    const std::u8string text = file.u8string();
    return std::string(text.begin(), text.end());
}

// One report for each content of a file that cannot be read, however many times the settings
// are read: the display re-reads them at every activation and whenever the file changes. Once the
// file reads well again, the same damage later is news again.
class TReportedProblems {
public:
    bool First(const std::filesystem::path& file, const std::string& problem) {
        const std::lock_guard lock(FGuard);
        return FReported[PathText(file)].insert(std::hash<std::string>{}(problem)).second;
    }
    void Forget(const std::filesystem::path& file) {
        const std::lock_guard lock(FGuard);
        FReported.erase(PathText(file));
    }

private:
    std::mutex FGuard;
    std::map<std::string, std::set<std::size_t>> FReported;
};

TReportedProblems& ReportedProblems() {
    static TReportedProblems problems;
    return problems;
}

std::string Timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

std::string FullPath(TRootKey root, std::string_view path) {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    std::string full(RootKeyName(root));
    if (!path.empty())
        full.append("\\").append(path);
    return full;
}

// File handles rather than streams: their errors say why (no permission, no handles left),
// which decides whether a file is damaged or only out of reach.
#ifdef _WIN32
int OpenToRead(const std::filesystem::path& file) {
    return _wopen(file.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
int CreateNew(const std::filesystem::path& file, bool ownerOnly) {
    (void)ownerOnly; // Windows files carry no such bits
    return _wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
long ReadSome(int handle, char* buffer, std::size_t size) {
    return _read(handle, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
}
long WriteSome(int handle, const char* bytes, std::size_t size) {
    return _write(handle, bytes, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
}
bool SyncToDisk(int handle) {
    return _commit(handle) == 0;
}
int CloseFile(int handle) {
    return _close(handle);
}
bool MayWrite(const std::filesystem::path& file) {
    return _waccess(file.c_str(), 2) == 0;
}
std::uint64_t ProcessId() {
    return static_cast<std::uint64_t>(_getpid());
}
void KeepOwnerAndMode(int, const std::filesystem::path&) {}
#else
int OpenToRead(const std::filesystem::path& file) {
    return open(file.c_str(), O_RDONLY | O_CLOEXEC);
}
// Until it has the old file's owner and mode, a replacement is no one else's to read.
int CreateNew(const std::filesystem::path& file, bool ownerOnly) {
    return open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0666);
}
long ReadSome(int handle, char* buffer, std::size_t size) {
    return read(handle, buffer, size);
}
long WriteSome(int handle, const char* bytes, std::size_t size) {
    return write(handle, bytes, size);
}
bool SyncToDisk(int handle) {
    return fsync(handle) == 0;
}
int CloseFile(int handle) {
    return close(handle);
}
// What the system says for this user, so that the superuser keeps the superuser's rights.
bool MayWrite(const std::filesystem::path& file) {
    return access(file.c_str(), W_OK) == 0;
}
std::uint64_t ProcessId() {
    return static_cast<std::uint64_t>(getpid());
}
// Best effort: only the superuser may give a file to someone else, and a user only to a group
// of their own; whatever cannot be carried over stays as a new file gets it.
void KeepOwnerAndMode(int handle, const std::filesystem::path& file) {
    struct stat old {};
    if (stat(file.c_str(), &old) != 0)
        return;
    if (fchown(handle, old.st_uid, old.st_gid) != 0 &&
        fchown(handle, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // it keeps the owner and group a new file gets
    }
    fchmod(handle, old.st_mode & 07777);
}
#endif

// 0, or the reason the whole of `file` could not be read (ENOENT when there is none).
int ReadWholeFile(const std::filesystem::path& file, std::string& content) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        return EISDIR;
    const int handle = OpenToRead(file);
    if (handle < 0)
        return errno;
    char buffer[16384];
    for (;;) {
        const long count = ReadSome(handle, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            const int reason = count < 0 ? errno : 0;
            CloseFile(handle);
            return reason;
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

bool WriteAll(int handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const long count = WriteSome(handle, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// Unpredictable enough that processes saving at the same moment pick different names; the
// exclusive creation is what makes each name one save's own.
std::string RandomSuffix() {
    static std::atomic<std::uint64_t> sequence = [] {
        try {
            return std::uint64_t{std::random_device{}()} << 32 | std::random_device{}();
        } catch (...) {
            return std::uint64_t{0};
        }
    }();
    std::uint64_t x =
        sequence.fetch_add(0x9E3779B97F4A7C15u) ^ (ProcessId() << 40) ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    char text[20];
    std::snprintf(text, sizeof text, "%012llx",
                  static_cast<unsigned long long>(x & 0xFFFFFFFFFFFFu));
    return text;
}

// A file of this save's own beside `file`; -1 with errno set when none can be made.
int CreateTemporaryBeside(const std::filesystem::path& file, bool ownerOnly,
                          std::filesystem::path& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = file;
        temporary += ".new-" + RandomSuffix();
        const int handle = CreateNew(temporary, ownerOnly);
        if (handle >= 0 || errno != EEXIST)
            return handle;
    }
    return -1;
}

// Writes `bytes` to a file of its own beside `file` and renames it over `file`, so a crash, a
// full disk or another process saving at the same moment leaves either the old file or a whole
// new one, never a part of either.
bool ReplaceFile(const std::filesystem::path& file, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const bool replacing = std::filesystem::exists(file, error);
    error.clear();
    std::filesystem::path temporary;
    const int handle = CreateTemporaryBeside(file, replacing, temporary);
    if (handle < 0)
        return false;
    if (replacing)
        KeepOwnerAndMode(handle, file);
    bool written = WriteAll(handle, bytes) && SyncToDisk(handle);
    written = CloseFile(handle) == 0 && written;
    if (written)
        std::filesystem::rename(temporary, file, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

// Where a save goes: through every symbolic link to the file it ends at, so the links stay.
std::optional<std::filesystem::path> FinalTarget(std::filesystem::path file) {
    for (int links = 0; links < 40; ++links) {
        std::error_code error;
        const auto status = std::filesystem::symlink_status(file, error);
        if (!std::filesystem::is_symlink(status))
            return status.type() == std::filesystem::file_type::not_found || !error
                       ? std::optional(file)
                       : std::nullopt;
        const std::filesystem::path next = std::filesystem::read_symlink(file, error);
        if (error)
            return std::nullopt;
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    return std::nullopt; // a loop of links
}

// A write goes ahead only where the system lets this user write; a file that is not there yet
// is made.
bool MayReplace(const std::filesystem::path& file) {
    std::error_code error;
    return !std::filesystem::exists(std::filesystem::symlink_status(file, error)) || MayWrite(file);
}

} // namespace

TRegFileStore::TRegFileStore(std::filesystem::path file, TProblemReporter reporter)
    : FFile(std::move(file)) {
    Load(reporter);
}

void TRegFileStore::Load(const TProblemReporter& reporter) {
    std::string content;
    const int reason = ReadWholeFile(FFile, content);
    TRegParseError parseError;
    std::ostringstream problem;
    if (reason == ENOENT) { // no settings saved yet
        ReportedProblems().Forget(FFile);
        return;
    }
    if (reason == EISDIR) {
        FCondition = TCondition::Damaged;
        problem << "it is a folder";
    } else if (reason != 0) {
        FCondition = TCondition::Unreadable;
        problem << std::strerror(reason);
    } else if (!ParseRegFile(content, FDocument, parseError)) {
        FCondition = TCondition::Damaged;
        problem << "line " << parseError.Line << ": " << parseError.Message;
    } else {
        ReportedProblems().Forget(FFile);
        return;
    }

    FDocument = {};
    // Reading never changes the file: it may be half way through being written, or one typo
    // away from what the arena meant. Only a save, which replaces it anyway, moves it aside.
    const char* consequence =
        FCondition == TCondition::Damaged
            ? "The display goes on with the settings it last read (its built-in ones if it has "
              "read none) and leaves the file as it is. Saving the properties first renames it "
              "to end in \".damaged-<date>-<time>\", so that nothing in it is lost."
            : "The display goes on with the settings it last read (its built-in ones if it has "
              "read none) and leaves the file as it is: the settings cannot be saved until the "
              "file can be read again.";
    if (reporter && ReportedProblems().First(FFile, problem.str() + '\0' + content))
        reporter("Tallivue cannot read its settings file\n" + PathText(FFile) + "\n(" +
                 problem.str() + ").\n\n" + consequence);
}

bool TRegFileStore::KeepDamagedFileAside(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::exists(target, error))
        return !error;
    // Added to the path as it stands, which Windows keeps in wide characters.
    const std::string stem = ".damaged-" + Timestamp();
    std::filesystem::path aside = target;
    aside += stem;
    for (int n = 2; std::filesystem::exists(aside, error); ++n) {
        aside = target;
        aside += stem + "-" + std::to_string(n);
    }
    std::filesystem::rename(target, aside, error);
    if (error)
        return false;
    FKeptAside = aside;
    return true;
}

bool TRegFileStore::Save() {
    if (FCondition == TCondition::Unreadable)
        return false;
    const auto target = FinalTarget(FFile);
    if (!target || !MayReplace(*target))
        return false;
    if (FCondition == TCondition::Damaged) {
        if (!KeepDamagedFileAside(*target))
            return false;
        FCondition = TCondition::Usable;
    }
    // Single bytes cannot hold every alphabet: a document that has come to hold a character
    // beyond them is written as the registry editor writes on Windows, a Unicode export.
    const TRegFileVersion version = FDocument.Version;
    const TRegFileEncoding encoding = FDocument.Encoding;
    if (!FormatKeepsAllText(FDocument)) {
        FDocument.Version = TRegFileVersion::Version5;
        FDocument.Encoding = TRegFileEncoding::Utf16LeWithBom;
    }
    if (ReplaceFile(*target, FormatRegFile(FDocument))) {
        ReportedProblems().Forget(FFile);
        return true;
    }
    FDocument.Version = version;
    FDocument.Encoding = encoding;
    return false;
}

bool TRegFileStore::OpenKey(TRootKey root, std::string_view path, bool canCreate) {
    FOpenKey.clear();
    const std::string full = FullPath(root, path);
    if (!FDocument.KeyExists(full)) {
        if (!canCreate)
            return false;
        // Made here only: the file gets the key with the first value written to it, so that
        // reading the settings never writes them.
        FDocument.AddKey(full);
    }
    FOpenKey = full;
    return true;
}

void TRegFileStore::AdoptKey(TRootKey root, std::string_view from, std::string_view to) {
    const std::string fullFrom = FullPath(root, from);
    const std::string fullTo = FullPath(root, to);
    if (!FDocument.KeyExists(fullTo) && FDocument.KeyExists(fullFrom))
        FDocument.CopyKeyTree(fullFrom, fullTo);
}

void TRegFileStore::CloseKey() {
    FOpenKey.clear();
}

bool TRegFileStore::HasOpenKey() const {
    return !FOpenKey.empty();
}

bool TRegFileStore::ReadWhole() const {
    return FCondition == TCondition::Usable;
}

std::optional<TRegValue> TRegFileStore::ReadValue(std::string_view name) const {
    if (FOpenKey.empty())
        return std::nullopt;
    const TRegFileKey* key = FDocument.FindKey(FOpenKey);
    const TRegFileValue* stored = key ? key->FindValue(name) : nullptr;
    if (!stored)
        return std::nullopt;
    TRegValue value = stored->Value;
    if (IsTextType(value.Type))
        value.Data = WithoutLoneSurrogates(value.Data);
    return value;
}

bool TRegFileStore::WriteValue(std::string_view name, const TRegValue& value) {
    if (FOpenKey.empty())
        return false;
    TRegValue stored = value;
    if (IsTextType(value.Type)) {
        const TRegFileKey* key = FDocument.FindKey(FOpenKey);
        const TRegFileValue* old = key ? key->FindValue(name) : nullptr;
        // The dialog saves every text it shows. One it shows as it read it keeps what the file
        // holds, so a surrogate standing alone in a Unicode export, which reads as U+FFFD,
        // survives a save that never saw it.
        if (old && IsTextType(old->Value.Type) &&
            WithoutLoneSurrogates(old->Value.Data) == value.Data)
            stored.Data = old->Value.Data;
    }
    if (FHolding && FCondition == TCondition::Unreadable)
        return false;
    const TRegDocument before = FDocument;
    // The open key may exist only through a key below it: it gets a section of its own now.
    FDocument.AddKey(FOpenKey).SetValue(name, stored);
    if (FHolding || Save())
        return true;
    FDocument = before;
    return false;
}

void TRegFileStore::HoldChanges() {
    if (!FHolding)
        FBeforeHeld = FDocument;
    FHolding = true;
}

bool TRegFileStore::CommitChanges() {
    if (!FHolding)
        return true;
    FHolding = false;
    if (Save())
        return true;
    FDocument = std::move(FBeforeHeld);
    return false;
}

void TRegFileStore::DiscardChanges() {
    if (!FHolding)
        return;
    FHolding = false;
    FDocument = std::move(FBeforeHeld);
}
