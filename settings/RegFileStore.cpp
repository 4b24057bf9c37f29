#include "settings/RegFileStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// One report per damaged content of one file, however many times the settings are read: the
// display re-reads them at every activation.
bool FirstReportOf(const std::filesystem::path& file, const std::string& content) {
    static std::mutex guard;
    static std::set<std::pair<std::string, std::size_t>> reported;
    const std::lock_guard lock(guard);
    return reported.emplace(file.string(), std::hash<std::string>{}(content)).second;
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

// Writes `bytes` beside `file` and renames it over `file`, so a crash or a full disk leaves
// either the old file or the new one, never a part of either.
bool ReplaceFile(const std::filesystem::path& file, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::filesystem::path temporary = file;
    temporary += ".new";
    std::FILE* out = std::fopen(temporary.string().c_str(), "wb");
    if (!out)
        return false;
    bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
#ifndef _WIN32
    written = written && fsync(fileno(out)) == 0;
#endif
    written = std::fclose(out) == 0 && written;
    if (written)
        std::filesystem::rename(temporary, file, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

TRegFileStore::TRegFileStore(std::filesystem::path file, TProblemReporter reporter)
    : FFile(std::move(file)) {
    Load(reporter);
}

void TRegFileStore::Load(const TProblemReporter& reporter) {
    std::error_code error;
    if (!std::filesystem::exists(FFile, error) && !error)
        return; // no settings saved yet

    std::ifstream in(FFile, std::ios::binary);
    std::string content;
    std::ostringstream problem;
    TRegParseError parseError;
    if (std::filesystem::is_directory(FFile, error)) {
        problem << "it is a folder";
    } else if (!in) {
        problem << "it cannot be opened: " << std::strerror(errno ? errno : EACCES);
    } else {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            problem << "it cannot be read: " << std::strerror(errno ? errno : EIO);
        else if (!ParseRegFile(content, FDocument, parseError))
            problem << "line " << parseError.Line << ": " << Utf8ToLatin1(parseError.Message);
        else
            return;
    }

    FDamaged = true;
    FDocument = {};
    if (reporter && FirstReportOf(FFile, content))
        reporter("Tallivue cannot read its settings file\n" + FFile.string() + "\n(" +
                 problem.str() +
                 ").\n\nIt is using its built-in settings. Before anything is written to the "
                 "settings, the file will be renamed to end in \".damaged-<date>-<time>\", so "
                 "that nothing in it is lost.");
}

bool TRegFileStore::KeepDamagedFileAside() {
    std::error_code error;
    if (!std::filesystem::exists(FFile, error))
        return !error;
    const std::string stem = FFile.string() + ".damaged-" + Timestamp();
    std::filesystem::path aside = stem;
    for (int n = 2; std::filesystem::exists(aside, error); ++n)
        aside = stem + "-" + std::to_string(n);
    std::filesystem::rename(FFile, aside, error);
    if (error)
        return false;
    FKeptAside = aside;
    return true;
}

bool TRegFileStore::Save() {
    if (FDamaged) {
        if (!KeepDamagedFileAside())
            return false;
        FDamaged = false;
    }
    return ReplaceFile(FFile, FormatRegFile(FDocument));
}

bool TRegFileStore::OpenKey(TRootKey root, std::string_view path, bool canCreate) {
    FOpenKey.clear();
    const std::string full = Latin1ToUtf8(FullPath(root, path));
    if (!FDocument.KeyExists(full)) {
        if (!canCreate)
            return false;
        FDocument.AddKey(full);
        if (!Save()) {
            FDocument.RemoveKeyTree(full);
            return false;
        }
    }
    FOpenKey = full;
    return true;
}

void TRegFileStore::CloseKey() {
    FOpenKey.clear();
}

bool TRegFileStore::HasOpenKey() const {
    return !FOpenKey.empty();
}

std::optional<TRegValue> TRegFileStore::ReadValue(std::string_view name) const {
    if (FOpenKey.empty())
        return std::nullopt;
    const TRegFileKey* key = FDocument.FindKey(FOpenKey);
    const TRegFileValue* stored = key ? key->FindValue(Latin1ToUtf8(name)) : nullptr;
    if (!stored)
        return std::nullopt;
    TRegValue value = stored->Value;
    if (IsTextType(value.Type))
        value.Data = Utf8ToLatin1(value.Data);
    return value;
}

bool TRegFileStore::WriteValue(std::string_view name, const TRegValue& value) {
    if (FOpenKey.empty())
        return false;
    const std::string storedName = Latin1ToUtf8(name);
    TRegValue stored = value;
    if (IsTextType(value.Type)) {
        const TRegFileKey* key = FDocument.FindKey(FOpenKey);
        const TRegFileValue* old = key ? key->FindValue(storedName) : nullptr;
        // The dialog saves every text it shows. One it shows as it read it keeps what the file
        // holds, so an operator's characters beyond Latin-1 survive a save that never saw them.
        const bool unchanged =
            old && IsTextType(old->Value.Type) && Utf8ToLatin1(old->Value.Data) == value.Data;
        stored.Data = unchanged ? old->Value.Data : Latin1ToUtf8(value.Data);
    }
    const TRegDocument before = FDocument;
    // The open key may exist only through a key below it: it gets a section of its own now.
    FDocument.AddKey(FOpenKey).SetValue(storedName, stored);
    if (Save())
        return true;
    FDocument = before;
    return false;
}
