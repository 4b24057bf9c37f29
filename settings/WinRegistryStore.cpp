#include "settings/WinRegistryStore.h"

#include "core/TextEncoding.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

namespace {

static_assert(sizeof(wchar_t) == 2, "Windows' wide characters are UTF-16 code units");

// The program's UTF-8 as the registry's own UTF-16: the ANSI calls would pass every text through
// the system's code page, which holds no Greek on a Western PC and no euro on a Greek one.
std::wstring Wide(std::string_view text) {
    const std::string units = Utf8ToUtf16Le(text);
    std::wstring wide(units.size() / 2, L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(units[2 * i]) |
                                       static_cast<unsigned char>(units[2 * i + 1]) << 8);
    return wide;
}

// UTF-16 code units, as Windows wrote them, as UTF-8 text.
std::string Narrow(const wchar_t* text, std::size_t length) {
    std::string units;
    units.reserve(2 * length);
    for (std::size_t i = 0; i < length; ++i) {
        units += static_cast<char>(text[i] & 0xFF);
        units += static_cast<char>((text[i] >> 8) & 0xFF);
    }
    return WithoutLoneSurrogates(Utf16LeToUtf8(units));
}

// A text type's data as the registry holds it, UTF-16LE, as the program's text without its
// closing zero. Whatever another program stored is taken as it comes: an odd last byte is no
// character, a text may lack its zero, and a surrogate alone shows as U+FFFD.
std::string TextOfData(std::string_view bytes) {
    std::size_t units = bytes.size() / 2;
    if (units > 0 && bytes[2 * units - 2] == '\0' && bytes[2 * units - 1] == '\0')
        --units;
    return WithoutLoneSurrogates(Utf16LeToUtf8(bytes.substr(0, 2 * units)));
}

HKEY RootHandle(TRootKey root) {
    return root == TRootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string SubKeyOf(std::string_view path) {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    return std::string(path);
}

// What the settings need of their keys, and all that the installer grants the users.
constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

struct TKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

struct TLocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

struct TSidFreer {
    void operator()(void* sid) const { FreeSid(sid); }
};

// A key path and the registry view to find it in. Microsoft reserves the WOW6432Node key and
// asks that the 32-bit view be reached through KEY_WOW64_32KEY rather than by that name.
struct TKeyPlace {
    std::string Path;
    REGSAM View = 0;
};

TKeyPlace PlaceOf(std::string_view path) {
    constexpr std::string_view software = "SOFTWARE\\";
    constexpr std::string_view wow = "WOW6432Node\\";
    const std::size_t rest = software.size() + wow.size();
    if (path.size() > rest && SameRegName(path.substr(0, software.size()), software) &&
        SameRegName(path.substr(software.size(), wow.size()), wow))
        return {std::string(software) + std::string(path.substr(rest)), KEY_WOW64_32KEY};
    return {std::string(path), 0};
}

// Undecided when the key cannot be asked: that counts as holding something.
bool IsEmptyKey(HKEY key) {
    DWORD subKeys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

std::string WindowsErrorText(DWORD code) {
    constexpr DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t* text = nullptr;
    // The installer speaks English; a Windows without English messages gives its own language.
    DWORD length =
        FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0)
        length =
            FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? Narrow(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == '.' || message.back() == '\r' || message.back() == '\n'))
        message.pop_back();
    if (!message.empty())
        message += ' ';
    return message + "(Windows error " + std::to_string(code) + ")";
}

bool GrantsWriteToSubKeys(const ACL* dacl, PSID trustee) {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(dacl), i, &entry))
            continue;
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        const BYTE inheritance = ace->Header.AceFlags;
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Mask & kReadWrite) == kReadWrite && (inheritance & CONTAINER_INHERIT_ACE) &&
            !(inheritance & (INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE)) &&
            EqualSid(const_cast<DWORD*>(&ace->SidStart), trustee))
            return true;
    }
    return false;
}

} // namespace

TWinRegistryStore::~TWinRegistryStore() {
    CloseKey();
}

bool TWinRegistryStore::OpenKey(TRootKey root, std::string_view path, bool canCreate) {
    CloseKey();
    const std::wstring subKey = Wide(SubKeyOf(path));
    HKEY key = nullptr;
    LONG result = canCreate
                      ? RegCreateKeyExW(RootHandle(root), subKey.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, kReadWrite, nullptr, &key, nullptr)
                      : RegOpenKeyExW(RootHandle(root), subKey.c_str(), 0, kReadWrite, &key);
    // A user who may not change the settings still sees them; the writes are refused then.
    if (result == ERROR_ACCESS_DENIED)
        result = RegOpenKeyExW(RootHandle(root), subKey.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS)
        return false;
    FKey = key;
    return true;
}

void TWinRegistryStore::AdoptKey(TRootKey root, std::string_view from, std::string_view to) {
    const TKeyPlace source = PlaceOf(SubKeyOf(from));
    HKEY handle = nullptr;
    if (RegOpenKeyExW(RootHandle(root), Wide(source.Path).c_str(), 0, KEY_READ | source.View,
                      &handle) != ERROR_SUCCESS)
        return;
    const TKey sourceKey(handle);
    const std::wstring target = Wide(SubKeyOf(to));
    DWORD disposition = 0;
    if (RegCreateKeyExW(RootHandle(root), target.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kReadWrite, nullptr, &handle, &disposition) != ERROR_SUCCESS)
        return;
    TKey targetKey(handle);
    // An installer may have made the key without putting anything in it.
    if (disposition == REG_OPENED_EXISTING_KEY && !IsEmptyKey(targetKey.get()))
        return;
    if (RegCopyTreeW(sourceKey.get(), nullptr, targetKey.get()) == ERROR_SUCCESS)
        return;
    // Half a copy would pass for the settings from now on, and the rest would never come over.
    if (disposition == REG_CREATED_NEW_KEY) {
        targetKey.reset();
        RegDeleteTreeW(RootHandle(root), target.c_str());
    } else {
        RegDeleteTreeW(targetKey.get(), nullptr);
    }
}

void TWinRegistryStore::CloseKey() {
    if (FKey)
        RegCloseKey(static_cast<HKEY>(FKey));
    FKey = nullptr;
}

bool TWinRegistryStore::HasOpenKey() const {
    return FKey != nullptr;
}

std::optional<TRegValue> TWinRegistryStore::ReadValue(std::string_view name) const {
    if (!FKey)
        return std::nullopt;
    const std::wstring valueName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    std::string data;
    LONG result = ERROR_MORE_DATA;
    // The value may grow between asking its size and reading it.
    while (result == ERROR_MORE_DATA) {
        result = RegQueryValueExW(static_cast<HKEY>(FKey), valueName.c_str(), nullptr, &type,
                                  nullptr, &size);
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        data.assign(size, '\0');
        result = RegQueryValueExW(static_cast<HKEY>(FKey), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(std::min<std::size_t>(size, data.size()));
    if (IsTextType(type))
        data = TextOfData(data);
    return TRegValue{type, std::move(data)};
}

bool TWinRegistryStore::WriteValue(std::string_view name, const TRegValue& value) {
    if (!FKey)
        return false;
    const std::string data =
        IsTextType(value.Type) ? Utf8ToUtf16Le(value.Data) + std::string(2, '\0') : value.Data;
    return RegSetValueExW(static_cast<HKEY>(FKey), Wide(name).c_str(), 0, value.Type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool LetUsersWriteKey(TRootKey root, std::string_view path, std::string& error) {
    const std::string subKey = SubKeyOf(path);
    const auto fail = [&](DWORD code) {
        error = "Cannot let users change " + std::string(RootKeyName(root)) + "\\" + subKey + ": " +
                WindowsErrorText(code);
        return false;
    };
    HKEY handle = nullptr;
    const LONG created =
        RegCreateKeyExW(RootHandle(root), Wide(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        READ_CONTROL | WRITE_DAC, nullptr, &handle, nullptr);
    if (created != ERROR_SUCCESS)
        return fail(created);
    const TKey key(handle);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = GetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS)
        return fail(result);
    const std::unique_ptr<void, TLocalFreer> descriptorOwner(descriptor);
    // A key without any list lets everyone do anything already; a list of one would shut out
    // all but the users.
    if (!dacl)
        return true;

    // By number, not by name: Windows calls the group something else in every language.
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &sid))
        return fail(GetLastError());
    const std::unique_ptr<void, TSidFreer> users(sid);
    if (GrantsWriteToSubKeys(dacl, users.get()))
        return true;

    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = kReadWrite;
    access.grfAccessMode = GRANT_ACCESS;
    // The Language key is made later, by the display.
    access.grfInheritance = SUB_CONTAINERS_ONLY_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(users.get());
    PACL merged = nullptr;
    result = SetEntriesInAclW(1, &access, dacl, &merged);
    if (result != ERROR_SUCCESS)
        return fail(result);
    const std::unique_ptr<void, TLocalFreer> mergedOwner(merged);

    // Unless told, Windows would let a key an administrator cut off from its parent's
    // permissions inherit them again.
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision) &&
        (control & SE_DACL_PROTECTED))
        what |= PROTECTED_DACL_SECURITY_INFORMATION;
    result = SetSecurityInfo(key.get(), SE_REGISTRY_KEY, what, nullptr, nullptr, merged, nullptr);
    if (result != ERROR_SUCCESS)
        return fail(result);
    return true;
}
