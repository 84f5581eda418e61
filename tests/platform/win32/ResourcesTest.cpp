#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"

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

struct Control {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring className;
    std::wstring text;
};

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
    EXPECT_EQ(count, 4);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 131);
    EXPECT_EQ(reader.Short(), 120);
    EXPECT_EQ(reader.StringOrOrdinal(), L"");  // no menu
    EXPECT_EQ(reader.StringOrOrdinal(), L"");  // default class
    EXPECT_EQ(reader.StringOrOrdinal(), L"Settings");
    EXPECT_EQ(reader.Word(), 8);    // points
    EXPECT_EQ(reader.Word(), 400);  // weight
    EXPECT_EQ(reader.Byte(), 0);    // not italic
    EXPECT_EQ(reader.Byte(), 1);    // character set
    EXPECT_EQ(reader.StringOrOrdinal(), L"MS Shell Dlg");

    constexpr DWORD kCommon = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const Control expected[] = {
        {kCommon | BS_DEFPUSHBUTTON, 7, 83, 55, 14, IDOK, L"#128", L"OK"},
        {kCommon | BS_PUSHBUTTON, 71, 83, 53, 14, IDCANCEL, L"#128", L"Cancel"},
        {kCommon | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, 7, 7, 116, 72, IDC_METHOD_LIST,
         L"#131", L""},
        {kCommon | BS_AUTOCHECKBOX, 7, 101, 58, 10, IDC_SHOW_TREBLE, L"#128", L"Show Treble"},
    };
    for (const Control& control : expected) {
        reader.AlignToDword();
        EXPECT_EQ(reader.Dword(), 0u);  // help id
        EXPECT_EQ(reader.Dword(), 0u);  // extended style
        EXPECT_EQ(reader.Dword(), control.style) << control.id;
        EXPECT_EQ(reader.Short(), control.x);
        EXPECT_EQ(reader.Short(), control.y);
        EXPECT_EQ(reader.Short(), control.cx);
        EXPECT_EQ(reader.Short(), control.cy);
        EXPECT_EQ(reader.Dword(), control.id);
        EXPECT_EQ(reader.StringOrOrdinal(), control.className) << control.id;
        EXPECT_EQ(reader.StringOrOrdinal(), control.text) << control.id;
        EXPECT_EQ(reader.Word(), 0);  // no creation data
    }
}

TEST(Resources, DescriptionForTheScreenSaverList) {
    wchar_t text[64] = L"";
    EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_DESCRIPTION, text, 64), 7);
    EXPECT_STREQ(text, L"Lucenta");
}
