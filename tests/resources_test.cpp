// The resource script: every dialog template with its ids, kinds, styles,
// texts and rectangles; the bitmaps at their sizes; the icons.
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

void ExpectRect(const Item* it, int x, int y, int cx, int cy) {
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->x, x);
    EXPECT_EQ(it->y, y);
    EXPECT_EQ(it->cx, cx);
    EXPECT_EQ(it->cy, cy);
}

const char kButton[] = "#0080";
const char kStatic[] = "#0082";

TEST(ResourcesTest, MainWindowTemplate) {
    Template t = Load(IDD_MAIN);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
                                          DS_CENTER | DS_SETFONT));
    EXPECT_FALSE(t.style & WS_VISIBLE);
    EXPECT_EQ(t.cx, 422);
    EXPECT_EQ(t.cy, 286);
    EXPECT_EQ(t.caption, "BRISOLA v2.2");
    EXPECT_EQ(t.font, "MS Sans Serif");
    struct Row {
        int id;
        const char* text;
        int x, y, cx, cy;
        const char* cls;
    } rows[] = {
        {1001, "CLEAN", 172, 249, 103, 22, kButton},
        {1000, "Exit", 366, 255, 50, 16, kButton},
        {1003, "Help", 291, 23, 50, 15, kButton},
        {1005, "Info", 291, 46, 50, 15, kButton},
        {1007, "Drive Cleaner", 7, 120, 87, 41, kButton},
        {1008, "Internet Cleaner", 7, 76, 87, 41, kButton},
        {1010, "", 106, 76, 310, 123, WC_LISTVIEWA},
        {1011, "Quick Refresh", 101, 254, 64, 17, kButton},
        {1013, "", 106, 136, 310, 73, WC_LISTVIEWA},
        {1019, "", 106, 76, 310, 56, WC_LISTVIEWA},
        {1020, "", 106, 76, 310, 161, WC_LISTVIEWA},
        {1012, "Settings", 228, 23, 50, 15, kButton},
        {1025, nullptr, 52, 53, 74, 10, kStatic},
        {1015, "", 106, 203, 310, 34, WC_LISTVIEWA},
        {1006, "Cookies Manager", 7, 163, 87, 41, kButton},
        {1032, "Add filter", 86, 214, 69, 18, kButton},
        {1033, "Remove filter", 159, 214, 69, 18, kButton},
        {1034, "View Files", 232, 214, 69, 18, kButton},
        {1014, "Tips", 229, 46, 50, 15, kButton},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        const Item* it = Find(t, r.id);
        ExpectRect(it, r.x, r.y, r.cx, r.cy);
        if (!it) continue;
        EXPECT_EQ(lstrcmpiA(it->cls.c_str(), r.cls), 0) << it->cls;
        if (r.text) {
            EXPECT_EQ(it->text, r.text);
        }
        if (it->cls == kButton) {  // BS_FLAT on every push button
            EXPECT_TRUE(it->style & BS_FLAT);
        }
        if (lstrcmpiA(it->cls.c_str(), WC_LISTVIEWA) == 0) {
            EXPECT_EQ(it->style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
            EXPECT_TRUE(it->style & LVS_NOSORTHEADER);
            bool single = r.id == 1013 || r.id == 1019 || r.id == 1020;
            EXPECT_EQ((it->style & LVS_SINGLESEL) != 0, single);
        }
    }
    EXPECT_EQ(Find(t, 1001)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(Find(t, 1011)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(Find(t, 1008)->style & (BS_CENTER | BS_VCENTER), static_cast<DWORD>(BS_CENTER | BS_VCENTER));
    const Item* frame = Find(t, -1);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->style & 0xF, static_cast<DWORD>(BS_GROUPBOX));
    ExpectRect(frame, 7, 7, 409, 63);
}

TEST(ResourcesTest, SecondaryTemplatesHaveTheirSizesStylesAndControls) {
    Template settings = Load(IDD_SETTINGS);
    EXPECT_EQ(settings.style, 0x80800840u);
    EXPECT_EQ(settings.cx, 214);
    EXPECT_EQ(settings.cy, 111);
    ExpectRect(Find(settings, 1039, "OK"), 149, 83, 50, 14);
    ExpectRect(Find(settings, 1021, "Ask before cleaning specific folder ?"), 21, 40, 130, 10);
    ExpectRect(Find(settings, -1, "Settings"), 7, 7, 200, 97);
    ExpectRect(Find(settings, 1022, "Enable sound"), 21, 54, 59, 10);
    ExpectRect(Find(settings, 1024, "Never update start menu last used \"My Documents\""), 21, 27, 180, 10);
    for (int id : {1021, 1022, 1024}) EXPECT_EQ(Find(settings, id)->style & 0xF, static_cast<DWORD>(BS_AUTOCHECKBOX));

    Template cookies = Load(IDD_COOKIES);
    EXPECT_EQ(cookies.style, 0x80C80840u);
    EXPECT_EQ(cookies.cx, 420);
    EXPECT_EQ(cookies.cy, 206);
    EXPECT_EQ(cookies.caption, "Manager");
    ExpectRect(Find(cookies, 1037, "OK"), 356, 179, 48, 14);
    const Item* hidden = Find(cookies, 2, "Save Settings");
    ExpectRect(hidden, 7, 190, 84, 9);
    EXPECT_FALSE(hidden->style & WS_VISIBLE);
    EXPECT_TRUE(hidden->style & WS_DISABLED);
    ExpectRect(Find(cookies, 1032, ">>"), 194, 49, 30, 57);
    ExpectRect(Find(cookies, 1033, "<<"), 194, 109, 30, 57);
    ExpectRect(Find(cookies, 1013), 15, 31, 168, 135);
    ExpectRect(Find(cookies, 1014), 236, 31, 168, 135);
    EXPECT_EQ(Find(cookies, 1013)->style, 0x50818009u);
    EXPECT_EQ(Find(cookies, 1014)->style, 0x50818009u);
    ExpectRect(Find(cookies, -1, "COOKIES MANAGER"), 7, 7, 406, 192);
    ExpectRect(Find(cookies, -1, "Delete this Cookies:"), 17, 21, 64, 8);
    ExpectRect(Find(cookies, -1, "Save this Cookies:"), 236, 21, 60, 8);
    for (int id : {1044, 1045, 1046, 1047}) EXPECT_FALSE(Find(cookies, id)->style & WS_VISIBLE);

    Template progress = Load(IDD_PROGRESS);
    EXPECT_EQ(progress.cx, 268);
    EXPECT_EQ(progress.cy, 92);
    EXPECT_NE(progress.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(Find(progress, 1028), nullptr);
    EXPECT_NE(Find(progress, -1, "Please wait..."), nullptr);
    EXPECT_NE(Find(progress, 1033, "Scaning directory:"), nullptr);
    EXPECT_NE(Find(progress, 1034, "Scaning files:"), nullptr);
    EXPECT_NE(Find(progress, 1016), nullptr);
    EXPECT_NE(Find(progress, 1015), nullptr);
    EXPECT_NE(Find(progress, 1035, "Stop"), nullptr);

    Template confirm = Load(IDD_CONFIRM);
    EXPECT_EQ(confirm.cx, 244);
    EXPECT_EQ(confirm.cy, 74);
    EXPECT_TRUE(confirm.style & DS_MODALFRAME);
    EXPECT_NE(confirm.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(Find(confirm, -1, "Clean this Directory or Data ?"), nullptr);
    EXPECT_NE(Find(confirm, 1047), nullptr);
    EXPECT_NE(Find(confirm, 1045, "OK"), nullptr);
    EXPECT_NE(Find(confirm, 1046, "Cancel"), nullptr);

    Template tips = Load(IDD_TIPS);
    EXPECT_EQ(tips.cx, 282);
    EXPECT_EQ(tips.cy, 157);
    ExpectRect(Find(tips, 1015), 45, 49, 230, 80);
    ExpectRect(Find(tips, 1032, "X"), 256, 7, 19, 11);
    EXPECT_NE(Find(tips, 1031, "Show tips at Startup"), nullptr);
    EXPECT_NE(Find(tips, 1048, "Next Tip"), nullptr);
    EXPECT_EQ(Find(tips, 1049, "Close")->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    Template sysinfo = Load(IDD_SYSINFO);
    EXPECT_EQ(sysinfo.cx, 328);
    EXPECT_EQ(sysinfo.cy, 214);
    EXPECT_EQ(sysinfo.caption, "Updating System Information");
    EXPECT_TRUE(sysinfo.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(sysinfo.style & WS_SYSMENU);
    EXPECT_FALSE(sysinfo.style & WS_VISIBLE);
    ExpectRect(Find(sysinfo, 1015), 7, 18, 314, 93);
    ExpectRect(Find(sysinfo, 1016), 7, 121, 314, 18);
    EXPECT_NE(Find(sysinfo, 1050, "Please Wait..."), nullptr);
    EXPECT_NE(Find(sysinfo, 1032, "Close"), nullptr);
    EXPECT_NE(Find(sysinfo, -1, "--- Please, be patient ---"), nullptr);

    Template splash = Load(IDD_SPLASH);
    EXPECT_EQ(splash.cx, 342);
    EXPECT_EQ(splash.cy, 165);
    ASSERT_EQ(splash.items.size(), 1u);
    EXPECT_EQ(splash.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
    EXPECT_EQ(splash.items[0].text, "LOGO_INTRO");

    Template add = Load(IDD_ADD_FILTER);
    EXPECT_NE(Find(add, -1, "Add Filters:"), nullptr);
    EXPECT_NE(Find(add, -1, "*."), nullptr);
    EXPECT_NE(Find(add, 1015), nullptr);
    EXPECT_NE(Find(add, 1016), nullptr);
    EXPECT_NE(Find(add, 2, "Add"), nullptr);
    EXPECT_NE(Find(add, 1038, "Close"), nullptr);

    Template found = Load(IDD_FOUND_FILES);
    EXPECT_EQ(found.cx, 330);
    EXPECT_EQ(found.cy, 221);
    EXPECT_NE(Find(found, -1, "All files checked:"), nullptr);
    EXPECT_NE(Find(found, -1, "Files Found:"), nullptr);
    EXPECT_NE(Find(found, 1041), nullptr);
    EXPECT_NE(Find(found, 1040, "Close"), nullptr);
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
