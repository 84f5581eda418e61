#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "settings/Registry.h"
#include "tests/support/AssertRecorder.h"
#include "tests/support/RegistrySandbox.h"

namespace {

constexpr std::uint32_t kAccess = RegAccess::QueryValue | RegAccess::SetValue;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

void SetRaw(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

struct Raw {
    DWORD type = 0;
    std::vector<BYTE> data;
};

Raw QueryRaw(const std::u16string& path, const wchar_t* name) {
    HKEY key = nullptr;
    Raw raw;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return raw;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
        raw.data.resize(size);
        RegQueryValueExW(key, name, nullptr, &raw.type, raw.data.data(), &size);
    }
    RegCloseKey(key);
    return raw;
}

std::vector<BYTE> WideBytes(const wchar_t* text, std::size_t units) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    return std::vector<BYTE>(bytes, bytes + units * 2);
}

}  // namespace

TEST(Win32RegistryKey, LoadsRawValuesAndWritesThroughToTheRealRegistry) {
    RegistrySandbox sandbox;
    const std::u16string path = sandbox.ScratchKey(u"Raw");
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    SetRaw(key, L"Text", REG_SZ, L"12abc", 12);
    const DWORD ones = 0xFFFFFFFF;
    SetRaw(key, L"Ones", REG_DWORD, &ones, 4);
    SetRaw(key, L"Binary", REG_BINARY, L"7", 4);
    SetRaw(key, L"Empty", REG_BINARY, nullptr, 0);
    SetRaw(key, L"Multi", REG_MULTI_SZ, L"ab\0cd\0", 14);
    SetRaw(key, L"Expand", REG_EXPAND_SZ, L"%PATH%", 14);
    const std::wstring big(1500, L'x');
    SetRaw(key, L"Big", REG_SZ, big.c_str(), static_cast<DWORD>((big.size() + 1) * 2));
    RegCloseKey(key);

    AssertRecorder recorder;
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(path, RegRoot::CurrentUser, kAccess));
        EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"nLen"});
        EXPECT_EQ(store.GetEntry(u"text").GetInteger(), 12);
        EXPECT_EQ(store.GetEntry(u"Text").GetNumber(), 12.0);
        EXPECT_EQ(store.GetEntry(u"Ones").GetNumber(), 4294967295.0);
        EXPECT_EQ(store.GetEntry(u"Ones").GetInteger(), -1);
        EXPECT_EQ(store.GetEntry(u"Binary").GetInteger(), 7);
        EXPECT_FALSE(store.GetEntry(u"Empty").HasValue());
        EXPECT_EQ(std::u16string(store.GetEntry(u"Multi").GetString()), u"ab");
        EXPECT_FALSE(store.GetEntry(u"Expand").HasValue());
        EXPECT_FALSE(store.GetEntry(u"Big").HasValue()) << "values over 2048 bytes are not loaded";

        store.GetEntry(u"Gamma").SetNumber(2.4);
        store.GetEntry(u"Ones").SetDword(5);
        store.GetEntry(u"Text").SetString(u"Gl\u00f6ckner");
    }
    EXPECT_EQ(QueryRaw(path, L"Gamma").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(QueryRaw(path, L"Gamma").data, WideBytes(L"2.400000", 9));
    EXPECT_EQ(QueryRaw(path, L"Ones").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(QueryRaw(path, L"Ones").data, (std::vector<BYTE>{5, 0, 0, 0}));
    EXPECT_EQ(QueryRaw(path, L"Text").data, WideBytes(L"Gl\u00f6ckner", 9));
    EXPECT_EQ(QueryRaw(path, L"Expand").type, static_cast<DWORD>(REG_EXPAND_SZ)) << "untouched";
    EXPECT_EQ(QueryRaw(path, L"Empty").data.size(), 0u) << "loading wrote nothing back";
}

TEST(Win32RegistryKey, MissingKeyIsCreatedEmpty) {
    RegistrySandbox sandbox;
    const std::u16string path = sandbox.ScratchKey(u"Fresh\\Nested");
    CRegistry store;
    ASSERT_TRUE(store.OpenKey(path, RegRoot::CurrentUser, kAccess));
    EXPECT_EQ(store.GetEntry(u"Bottom").GetNumber(), 0.0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path), 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD values = 99;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u) << "reading an entry wrote nothing";
}
