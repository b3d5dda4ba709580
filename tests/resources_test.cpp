// The resource script: dialog template styles, the bitmaps at their sizes
// and the icons.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Item {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::string cls;  // class name, or "#0080" for an atom
    std::string text;
};

struct Template {
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    std::string caption;
    std::string font;
    std::vector<Item> items;
};

std::string ReadSzOrOrd(const WORD*& p) {
    if (*p == 0xFFFF) {
        char buffer[16];
        snprintf(buffer, sizeof buffer, "#%04X", p[1]);
        p += 2;
        return buffer;
    }
    std::string s;
    while (*p) s += static_cast<char>(*p++);
    ++p;
    return s;
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~static_cast<ULONG_PTR>(3));
}

Template Load(int id) {
    Template t{};
    HRSRC res = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    EXPECT_NE(res, nullptr) << id;
    if (!res) return t;
    auto* dlg = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, res)));
    t.style = dlg->style;
    t.exStyle = dlg->dwExtendedStyle;
    t.cx = dlg->cx;
    t.cy = dlg->cy;
    const WORD* p = reinterpret_cast<const WORD*>(dlg + 1);
    ReadSzOrOrd(p);  // menu
    ReadSzOrOrd(p);  // class
    t.caption = ReadSzOrOrd(p);
    if (t.style & DS_SETFONT) {
        ++p;
        t.font = ReadSzOrOrd(p);
    }
    for (int i = 0; i < dlg->cdit; ++i) {
        p = AlignDword(p);
        auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        Item it{item->style, item->x, item->y, item->cx, item->cy, static_cast<short>(item->id), "", ""};
        p = reinterpret_cast<const WORD*>(item + 1);
        it.cls = ReadSzOrOrd(p);
        it.text = ReadSzOrOrd(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        t.items.push_back(it);
    }
    return t;
}

const Item* Find(const Template& t, int id, const char* text = nullptr) {
    for (const Item& it : t.items)
        if (it.id == id && (!text || it.text == text)) return &it;
    return nullptr;
}

const char kButton[] = "#0080";

// The template styles the program relies on (the controls themselves are
// found by the tests of each dialog).
TEST(ResourcesTest, TemplatesHaveTheStylesTheProgramUses) {
    Template main = Load(IDD_MAIN);
    EXPECT_FALSE(main.style & WS_VISIBLE);
    EXPECT_EQ(main.caption, "BRISOLA v2.2");
    for (const Item& it : main.items) {
        if (it.cls == kButton && (it.style & 0xF) <= BS_DEFPUSHBUTTON) {
            EXPECT_TRUE(it.style & BS_FLAT) << it.id;
        }
    }
    for (int id : {1010, 1013, 1015, 1019, 1020}) {
        SCOPED_TRACE(id);
        const Item* it = Find(main, id);
        ASSERT_NE(it, nullptr);
        EXPECT_EQ(lstrcmpiA(it->cls.c_str(), WC_LISTVIEWA), 0);
        EXPECT_EQ(it->style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
        bool single = id == 1013 || id == 1019 || id == 1020;
        EXPECT_EQ((it->style & LVS_SINGLESEL) != 0, single);
    }
    EXPECT_EQ(Find(main, 1001)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    Template settings = Load(IDD_SETTINGS);
    for (int id : {1021, 1022, 1024}) {
        ASSERT_NE(Find(settings, id), nullptr) << id;
        EXPECT_EQ(Find(settings, id)->style & 0xF, static_cast<DWORD>(BS_AUTOCHECKBOX)) << id;
    }
    Template cookies = Load(IDD_COOKIES);
    const Item* hidden = Find(cookies, 2, "Save Settings");
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->style & WS_VISIBLE);
    EXPECT_TRUE(hidden->style & WS_DISABLED);
    for (int id : {1044, 1045, 1046, 1047}) {
        ASSERT_NE(Find(cookies, id), nullptr) << id;
        EXPECT_FALSE(Find(cookies, id)->style & WS_VISIBLE) << id;
    }
    Template sysinfo = Load(IDD_SYSINFO);
    EXPECT_FALSE(sysinfo.style & WS_SYSMENU);
    EXPECT_FALSE(sysinfo.style & WS_VISIBLE);
    Template splash = Load(IDD_SPLASH);
    ASSERT_EQ(splash.items.size(), 1u);
    EXPECT_EQ(splash.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
    EXPECT_EQ(splash.items[0].text, "LOGO_INTRO");
}

TEST(ResourcesTest, BitmapsAre24BitAtTheirSizesAndIconsExist) {
    struct Picture {
        const char* name;
        int width, height;
    } pictures[] = {
        {"LOGO", 630, 490},
        {"MAINLOGO", 174, 44},
        {"LOGO_INTRO", 514, 269},
        {MAKEINTRESOURCEA(IDB_TIPS_SIDE), 52, 198},
        {MAKEINTRESOURCEA(IDB_TIPS_BANNER), 345, 70},
    };
    for (const Picture& p : pictures) {
        HRSRC res = FindResourceA(nullptr, p.name, MAKEINTRESOURCEA(2));
        ASSERT_NE(res, nullptr);
        auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, res)));
        EXPECT_EQ(info->biWidth, p.width);
        EXPECT_EQ(info->biHeight, p.height);
        EXPECT_EQ(info->biBitCount, 24);
    }
    for (int id : {IDI_APP, IDI_CATEGORY, IDI_DISK, IDI_FILTER}) {
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        EXPECT_NE(icon, nullptr) << id;
    }
}

}  // namespace
