#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/SettingsDialog.h"

namespace {

// Reads a DLGTEMPLATEEX field by field.
class TemplateReader {
  public:
    explicit TemplateReader(const BYTE* data) : m_data(data) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }
    // A string or, after 0xFFFF, an ordinal written as "#n".
    std::wstring StringOrOrdinal() {
        if (Peek() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    void AlignToDword() { m_offset = (m_offset + 3) & ~std::size_t{3}; }

  private:
    template <typename T>
    T Read() {
        T value;
        memcpy(&value, m_data + m_offset, sizeof value);
        m_offset += sizeof value;
        return value;
    }
    WORD Peek() const {
        WORD value;
        memcpy(&value, m_data + m_offset, sizeof value);
        return value;
    }

    const BYTE* m_data;
    std::size_t m_offset = 0;
};

// What the template adds to the layout that the platforms share.
struct Control {
    DWORD style;
    std::wstring className;
};

std::wstring Widen(const char* ascii) {
    return std::wstring(ascii, ascii + strlen(ascii));
}

}  // namespace

TEST(Resources, SettingsDialogTemplate) {
    const HRSRC found = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_SETTINGS),
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    ASSERT_NE(found, nullptr);
    TemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))));
    EXPECT_EQ(reader.Word(), 1);       // dlgVer
    EXPECT_EQ(reader.Word(), 0xFFFF);  // signature: an extended template
    EXPECT_EQ(reader.Dword(), 0u);     // help id
    EXPECT_EQ(reader.Dword(), 0u);     // extended style
    EXPECT_EQ(reader.Dword(), 0x80C808C8u);
    const WORD count = reader.Word();
    ASSERT_EQ(count, 4);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), kSettingsWidth);
    EXPECT_EQ(reader.Short(), kSettingsHeight);
    EXPECT_EQ(reader.StringOrOrdinal(), L"");  // no menu
    EXPECT_EQ(reader.StringOrOrdinal(), L"");  // default class
    EXPECT_EQ(reader.StringOrOrdinal(), Widen(kSettingsCaption));
    EXPECT_EQ(reader.Word(), kSettingsFontPoints);
    EXPECT_EQ(reader.Word(), 400);  // weight
    EXPECT_EQ(reader.Byte(), 0);    // not italic
    EXPECT_EQ(reader.Byte(), 1);    // character set
    EXPECT_EQ(reader.StringOrOrdinal(), L"MS Shell Dlg");

    constexpr DWORD kCommon = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const Control expected[] = {
        {kCommon | BS_DEFPUSHBUTTON, L"#128"},
        {kCommon | BS_PUSHBUTTON, L"#128"},
        {kCommon | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, L"#131"},
        {kCommon | BS_AUTOCHECKBOX, L"#128"},
    };
    // The template is the layout every platform's dialog is built from, in its order.
    for (std::size_t k = 0; k < count; ++k) {
        const DialogControl& control = kSettingsControls[k];
        reader.AlignToDword();
        EXPECT_EQ(reader.Dword(), 0u);  // help id
        EXPECT_EQ(reader.Dword(), 0u);  // extended style
        EXPECT_EQ(reader.Dword(), expected[k].style) << control.id;
        EXPECT_EQ(reader.Short(), control.x);
        EXPECT_EQ(reader.Short(), control.y);
        EXPECT_EQ(reader.Short(), control.cx);
        EXPECT_EQ(reader.Short(), control.cy);
        EXPECT_EQ(reader.Dword(), static_cast<DWORD>(control.id));
        EXPECT_EQ(reader.StringOrOrdinal(), expected[k].className) << control.id;
        EXPECT_EQ(reader.StringOrOrdinal(), Widen(control.text)) << control.id;
        EXPECT_EQ(reader.Word(), 0);  // no creation data
    }
}

TEST(Resources, DescriptionForTheScreenSaverList) {
    wchar_t text[64] = L"";
    EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_DESCRIPTION, text, 64), 7);
    EXPECT_STREQ(text, L"Lucenta");
}
