// Generates the program's artwork and sounds: the skin and picture bitmaps,
// the icons and the two job sounds. Everything is drawn from code so that
// the build reproduces the same bytes on every machine.
//
//   genart OUTDIR
//
// Host tool: plain C++17, no Windows headers.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

const Rgb kPanel{245, 255, 245};
const Rgb kLeaf{160, 224, 64};
const Rgb kDeep{46, 120, 52};
const Rgb kInk{24, 60, 28};
const Rgb kHover{251, 251, 141};
const Rgb kWhite{255, 255, 255};

Rgb Mix(Rgb a, Rgb b, double t) {
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

class Image {
public:
    Image(int w, int h, Rgb fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}
    int Width() const { return w_; }
    int Height() const { return h_; }
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y) * w_ + x] = c;
    }
    Rgb Get(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    void Rect(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, Rgb c) {
        Rect(x0, y0, x1, y0 + 1, c);
        Rect(x0, y1 - 1, x1, y1, c);
        Rect(x0, y0, x0 + 1, y1, c);
        Rect(x1 - 1, y0, x1, y1, c);
    }
    void Disc(double cx, double cy, double r, Rgb c) {
        for (int y = static_cast<int>(cy - r) - 1; y <= cy + r + 1; ++y)
            for (int x = static_cast<int>(cx - r) - 1; x <= cx + r + 1; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) Set(x, y, c);
    }

private:
    int w_, h_;
    std::vector<Rgb> px_;
};

// A 5x7 pixel font, enough for the few words the pictures carry.
const char* Glyph(char ch) {
    switch (ch) {
    case 'A':
        return " ### #   ##   #######   ##   ##   #";
    case 'B':
        return "#### #   ##   ##### #   ##   ##### ";
    case 'C':
        return " ### #   ##    #    #    #   # ### ";
    case 'E':
        return "######    #    #### #    #    #####";
    case 'I':
        return " ###   #    #    #    #    #   ### ";
    case 'L':
        return "#    #    #    #    #    #    #####";
    case 'N':
        return "#   ###  ## # ##  ###   ##   ##   #";
    case 'O':
        return " ### #   ##   ##   ##   ##   # ### ";
    case 'P':
        return "#### #   ##   ##### #    #    #    ";
    case 'R':
        return "#### #   ##   ##### # #  #  # #   #";
    case 'S':
        return " #####    #     ###     #    ##### ";
    case 'T':
        return "#####  #    #    #    #    #    #  ";
    case 'V':
        return "#   ##   ##   ##   ##   # # #   #  ";
    case '2':
        return " ### #   #    #   #   #   #   #####";
    case '.':
        return "                          ##   ##  ";
    default:
        return nullptr;
    }
}

void Text(Image& img, int x, int y, int scale, const std::string& s, Rgb c) {
    for (char ch : s) {
        const char* g = Glyph(ch);
        if (g) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g[row * 5 + col] == '#')
                        img.Rect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c);
        }
        x += 6 * scale;
    }
}

int TextWidth(const std::string& s, int scale) { return static_cast<int>(s.size()) * 6 * scale - scale; }

// A stylised broom: a slanted handle and a fan of bristles.
void Broom(Image& img, double x, double y, double size, Rgb handle, Rgb bristle) {
    for (double t = 0; t < 1.0; t += 0.01) img.Disc(x + t * size * 0.45, y + t * size * 0.7, size * 0.035, handle);
    double bx = x + size * 0.45, by = y + size * 0.7;
    for (int i = -4; i <= 4; ++i) {
        double dx = i * size * 0.045;
        for (double t = 0; t < 1.0; t += 0.02) img.Disc(bx + dx * t + t * size * 0.08, by + t * size * 0.28, size * 0.018, bristle);
    }
}

void Leaves(Image& img, unsigned seed, int count) {
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        int x = static_cast<int>((seed >> 8) % static_cast<unsigned>(img.Width()));
        seed = seed * 1103515245u + 12345u;
        int y = static_cast<int>((seed >> 8) % static_cast<unsigned>(img.Height()));
        seed = seed * 1103515245u + 12345u;
        double r = 2 + (seed >> 8) % 5;
        img.Disc(x, y, r, Mix(kPanel, kLeaf, 0.25));
    }
}

void VerticalShade(Image& img, Rgb top, Rgb bottom) {
    for (int y = 0; y < img.Height(); ++y)
        img.Rect(0, y, img.Width(), y + 1, Mix(top, bottom, static_cast<double>(y) / (img.Height() - 1)));
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

// 24-bit bottom-up BMP file.
std::vector<uint8_t> Bmp(const Image& img) {
    int stride = (img.Width() * 3 + 3) & ~3;
    uint32_t pixels = static_cast<uint32_t>(stride) * img.Height();
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, 54 + pixels);
    Put32(v, 0);
    Put32(v, 54);
    Put32(v, 40);
    Put32(v, img.Width());
    Put32(v, img.Height());
    Put16(v, 1);
    Put16(v, 24);
    Put32(v, 0);
    Put32(v, pixels);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, 0);
    Put32(v, 0);
    for (int y = img.Height() - 1; y >= 0; --y) {
        int n = 0;
        for (int x = 0; x < img.Width(); ++x, n += 3) {
            Rgb c = img.Get(x, y);
            v.push_back(c.b);
            v.push_back(c.g);
            v.push_back(c.r);
        }
        for (; n < stride; ++n) v.push_back(0);
    }
    return v;
}

// An icon image: colour plus a mask of opaque pixels.
struct IconImage {
    Image colour;
    std::vector<bool> opaque;
};

// .ico with 32-bit images (alpha from the mask) and AND masks.
std::vector<uint8_t> Ico(const std::vector<IconImage>& images) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const IconImage& ii : images) {
        const Image& img = ii.colour;
        int w = img.Width(), h = img.Height();
        int maskStride = ((w + 31) / 32) * 4;
        std::vector<uint8_t> b;
        Put32(b, 40);
        Put32(b, w);
        Put32(b, h * 2);
        Put16(b, 1);
        Put16(b, 32);
        Put32(b, 0);
        Put32(b, static_cast<uint32_t>(w * h * 4 + maskStride * h));
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                Rgb c = img.Get(x, y);
                bool on = ii.opaque[static_cast<size_t>(y) * w + x];
                b.push_back(on ? c.b : 0);
                b.push_back(on ? c.g : 0);
                b.push_back(on ? c.r : 0);
                b.push_back(on ? 255 : 0);
            }
        for (int y = h - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < w; ++x)
                if (!ii.opaque[static_cast<size_t>(y) * w + x]) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        bodies.push_back(b);
    }
    std::vector<uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        v.push_back(static_cast<uint8_t>(images[i].colour.Width()));
        v.push_back(static_cast<uint8_t>(images[i].colour.Height()));
        v.push_back(0);
        v.push_back(0);
        Put16(v, 1);
        Put16(v, 32);
        Put32(v, static_cast<uint32_t>(bodies[i].size()));
        Put32(v, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const auto& b : bodies) v.insert(v.end(), b.begin(), b.end());
    return v;
}

using IconPainter = void (*)(IconImage&, int size);

IconImage MakeIcon(int size, IconPainter paint) {
    IconImage ii{Image(size, size, kWhite), std::vector<bool>(static_cast<size_t>(size) * size, false)};
    paint(ii, size);
    return ii;
}

void Fill(IconImage& ii, double cx, double cy, double r, Rgb c) {
    int n = ii.colour.Width();
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r) {
                ii.colour.Set(x, y, c);
                ii.opaque[static_cast<size_t>(y) * n + x] = true;
            }
}

void FillRect(IconImage& ii, double x0, double y0, double x1, double y1, Rgb c) {
    int n = ii.colour.Width();
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (x + 0.5 >= x0 && x + 0.5 < x1 && y + 0.5 >= y0 && y + 0.5 < y1) {
                ii.colour.Set(x, y, c);
                ii.opaque[static_cast<size_t>(y) * n + x] = true;
            }
}

// 102: the program icon, a green disc with a white broom.
void PaintAppIcon(IconImage& ii, int s) {
    Fill(ii, s / 2.0, s / 2.0, s * 0.48, kDeep);
    Fill(ii, s / 2.0, s / 2.0, s * 0.40, kLeaf);
    for (double t = 0; t <= 1.0; t += 0.02) Fill(ii, s * (0.30 + 0.25 * t), s * (0.20 + 0.40 * t), s * 0.05, kWhite);
    for (int i = -2; i <= 2; ++i)
        for (double t = 0; t <= 1.0; t += 0.05) Fill(ii, s * (0.55 + 0.06 * i * t + 0.05 * t), s * (0.60 + 0.18 * t), s * 0.035, kInk);
}

// 112: a sweep category, a small green dustpan.
void PaintCategoryIcon(IconImage& ii, int s) {
    FillRect(ii, s * 0.15, s * 0.45, s * 0.85, s * 0.80, kDeep);
    FillRect(ii, s * 0.20, s * 0.50, s * 0.80, s * 0.75, kLeaf);
    FillRect(ii, s * 0.42, s * 0.15, s * 0.58, s * 0.45, kDeep);
}

// 132: a fixed disk.
void PaintDiskIcon(IconImage& ii, int s) {
    FillRect(ii, s * 0.10, s * 0.30, s * 0.90, s * 0.72, kInk);
    FillRect(ii, s * 0.14, s * 0.34, s * 0.86, s * 0.68, Rgb{200, 210, 200});
    Fill(ii, s * 0.76, s * 0.51, s * 0.07, kLeaf);
}

// 133: a filter funnel.
void PaintFilterIcon(IconImage& ii, int s) {
    for (int y = 0; y < s; ++y) {
        double t = static_cast<double>(y) / s;
        if (t < 0.15 || t > 0.90) continue;
        double half = t < 0.55 ? s * (0.42 - 0.62 * (t - 0.15)) : s * 0.10;
        FillRect(ii, s / 2.0 - half, y, s / 2.0 + half, y + 1, t < 0.55 ? kDeep : kInk);
    }
}

std::vector<uint8_t> Wav(double seconds, const std::vector<double>& notes) {
    const int rate = 11025;
    int n = static_cast<int>(seconds * rate);
    std::vector<uint8_t> pcm;
    for (int i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / rate;
        size_t k = static_cast<size_t>(t / seconds * notes.size());
        if (k >= notes.size()) k = notes.size() - 1;
        double env = std::sin(M_PI * std::fmod(t * notes.size() / seconds, 1.0));
        double v = 0.35 * env * std::sin(2 * M_PI * notes[k] * t);
        pcm.push_back(static_cast<uint8_t>(std::lround(128 + 127 * v)));
    }
    std::vector<uint8_t> v{'R', 'I', 'F', 'F'};
    Put32(v, 36 + static_cast<uint32_t>(pcm.size()));
    for (char c : std::string("WAVEfmt ")) v.push_back(static_cast<uint8_t>(c));
    Put32(v, 16);
    Put16(v, 1);
    Put16(v, 1);
    Put32(v, rate);
    Put32(v, rate);
    Put16(v, 1);
    Put16(v, 8);
    for (char c : std::string("data")) v.push_back(static_cast<uint8_t>(c));
    Put32(v, static_cast<uint32_t>(pcm.size()));
    v.insert(v.end(), pcm.begin(), pcm.end());
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: genart OUTDIR\n");
        return 2;
    }
    std::string out = argv[1];
    bool ok = true;
    auto save = [&](const char* name, const std::vector<uint8_t>& data) {
        if (!WriteFile(out + "/" + name, data)) {
            std::fprintf(stderr, "genart: cannot write %s/%s\n", out.c_str(), name);
            ok = false;
        }
    };

    // Skin background: pale panel green, a soft band at the top and scattered leaves.
    Image logo(630, 490, kPanel);
    VerticalShade(logo, Mix(kPanel, kLeaf, 0.18), kPanel);
    Leaves(logo, 7u, 70);
    logo.Rect(0, 0, 630, 3, Mix(kPanel, kDeep, 0.35));
    save("logo.bmp", Bmp(logo));

    // Main logo: the product name beside a broom.
    Image mainLogo(174, 44, kPanel);
    VerticalShade(mainLogo, Mix(kPanel, kLeaf, 0.30), kPanel);
    Broom(mainLogo, 6, 4, 40, kDeep, kLeaf);
    Text(mainLogo, 44, 10, 3, "BRISOLA", kDeep);
    mainLogo.Frame(0, 0, 174, 44, Mix(kPanel, kDeep, 0.5));
    save("mainlogo.bmp", Bmp(mainLogo));

    // Splash picture.
    Image intro(514, 269, kPanel);
    VerticalShade(intro, Mix(kPanel, kLeaf, 0.45), kPanel);
    Leaves(intro, 11u, 60);
    Broom(intro, 40, 40, 190, kDeep, kLeaf);
    Text(intro, 514 - 40 - TextWidth("BRISOLA", 7), 70, 7, "BRISOLA", kDeep);
    Text(intro, 514 - 40 - TextWidth("CLEANER V2.2", 3), 140, 3, "CLEANER V2.2", kInk);
    intro.Frame(0, 0, 514, 269, kDeep);
    save("logo_intro.bmp", Bmp(intro));

    // Tips, side strip.
    Image side(52, 198, kLeaf);
    VerticalShade(side, kDeep, kLeaf);
    for (int i = 0; i < 4; ++i) side.Disc(26, 30 + i * 46, 12, Mix(kLeaf, kHover, 0.6));
    save("tips_side.bmp", Bmp(side));

    // Tips, top banner.
    Image banner(345, 70, kPanel);
    VerticalShade(banner, Mix(kPanel, kLeaf, 0.35), kPanel);
    Text(banner, 14, 14, 4, "TIPS", kDeep);
    Broom(banner, 280, 6, 58, kDeep, kLeaf);
    banner.Frame(0, 0, 345, 70, Mix(kPanel, kDeep, 0.5));
    save("tips_banner.bmp", Bmp(banner));

    save("app.ico", Ico({MakeIcon(32, PaintAppIcon), MakeIcon(16, PaintAppIcon)}));
    save("category.ico", Ico({MakeIcon(16, PaintCategoryIcon), MakeIcon(32, PaintCategoryIcon)}));
    save("disk.ico", Ico({MakeIcon(16, PaintDiskIcon), MakeIcon(32, PaintDiskIcon)}));
    save("filter.ico", Ico({MakeIcon(16, PaintFilterIcon), MakeIcon(32, PaintFilterIcon)}));

    // Job sounds: a falling sweep for cleaning, a rising chirp for the scan.
    save("cleaning.wav", Wav(0.45, {880, 660, 523}));
    save("filtering.wav", Wav(0.45, {523, 660, 880}));
    return ok ? 0 : 1;
}
