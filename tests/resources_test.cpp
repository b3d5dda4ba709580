// The resource script: the main template, the bitmaps at their sizes and
// the icons.
#include <gtest/gtest.h>

#include <windows.h>

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

const Item* Find(const Template& t, int id) {
    for (const Item& it : t.items)
        if (it.id == id) return &it;
    return nullptr;
}

const char kButton[] = "#0080";

// The main template as the program relies on it: hidden until set up, the
// caption with the version, and every push button flat for the skin.
TEST(ResourcesTest, MainTemplateIsHiddenVersionedAndFlat) {
    Template main = Load(IDD_MAIN);
    EXPECT_FALSE(main.style & WS_VISIBLE);
    EXPECT_EQ(main.caption, "BRISOLA v2.2");
    for (const Item& it : main.items) {
        if (it.cls == kButton && (it.style & 0xF) <= BS_DEFPUSHBUTTON) {
            EXPECT_TRUE(it.style & BS_FLAT) << it.id;
        }
    }
    EXPECT_EQ(Find(main, 1001)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
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
