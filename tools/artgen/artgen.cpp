// Draws the tool's artwork (window background, caption buttons, format button
// faces, combo faces, the disk strip and the icon master) into PNG files, the
// same bytes on every run, once per art set: 100, 125, 150 and 200 %. Shapes
// are described in 100 % pixels and rendered at each scale from the shapes
// themselves, so no set is a stretched copy of another. The PNGs are
// committed under resources/, so a build never needs this program; run
// scripts/make-art.sh after changing a picture.
//
// Shapes are filled with 4 x 4 supersampling for smooth edges; colours are
// straight (not premultiplied) RGBA, composited "over".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

struct Rgba {
    float r, g, b, a;
};

Rgba Hex(unsigned rgb, float a = 1.0f) {
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}

Rgba Mix(Rgba x, Rgba y, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

using Shape = std::function<bool(float x, float y)>;
using Paint = std::function<Rgba(float x, float y)>;

// A side of w 100 % pixels at a scale, rounded half away from zero as the
// window rounds its controls' sizes, so that art and controls line up.
int Scaled(int w, float scale) { return static_cast<int>(std::lround(w * scale)); }

// A picture w x h at 100 %, rendered at `scale`: its pixel size is the scaled
// size, and shapes and paints are given in 100 % coordinates.
class Canvas {
public:
    Canvas(int w, int h, float scale)
        : w_(Scaled(w, scale)), h_(Scaled(h, scale)), scale_(scale),
          px_(static_cast<size_t>(w_) * h_, Rgba{0, 0, 0, 0}) {}
    int w() const { return w_; }
    int h() const { return h_; }

    // Later fills are shifted by (dx, dy) and cut to the w x h area there,
    // all in 100 % coordinates: one frame of a strip.
    void SetFrame(float dx, float dy, float w, float h) {
        ox_ = dx;
        oy_ = dy;
        x0_ = static_cast<int>(std::floor(dx * scale_));
        y0_ = static_cast<int>(std::floor(dy * scale_));
        x1_ = static_cast<int>(std::ceil((dx + w) * scale_));
        y1_ = static_cast<int>(std::ceil((dy + h) * scale_));
    }

    // Composites paint over every pixel in proportion to how much of it the
    // shape covers.
    void Fill(const Shape& inside, const Paint& paint) {
        constexpr int kSub = 4;
        const int x1 = x1_ < 0 ? w_ : std::min(w_, x1_);
        const int y1 = y1_ < 0 ? h_ : std::min(h_, y1_);
        for (int y = std::max(0, y0_); y < y1; ++y) {
            for (int x = std::max(0, x0_); x < x1; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSub; ++sy) {
                    for (int sx = 0; sx < kSub; ++sx) {
                        if (inside(U(x + (sx + 0.5f) / kSub) - ox_, U(y + (sy + 0.5f) / kSub) - oy_)) {
                            ++hits;
                        }
                    }
                }
                if (hits == 0) continue;
                Rgba src = paint(U(x + 0.5f) - ox_, U(y + 0.5f) - oy_);
                src.a *= static_cast<float>(hits) / (kSub * kSub);
                Over(px_[static_cast<size_t>(y) * w_ + x], src);
            }
        }
    }

    bool Save(const std::string& path, int channels) const {
        std::vector<unsigned char> out(static_cast<size_t>(w_) * h_ * channels);
        for (size_t i = 0; i < px_.size(); ++i) {
            const Rgba p = px_[i];
            const float v[4] = {p.r, p.g, p.b, p.a};
            for (int c = 0; c < channels; ++c) {
                out[i * channels + c] = static_cast<unsigned char>(std::lround(std::clamp(v[c], 0.0f, 1.0f) * 255));
            }
        }
        return stbi_write_png(path.c_str(), w_, h_, channels, out.data(), w_ * channels) != 0;
    }

private:
    static void Over(Rgba& dst, const Rgba& src) {
        const float a = src.a + dst.a * (1 - src.a);
        if (a <= 0) {
            dst = {0, 0, 0, 0};
            return;
        }
        dst.r = (src.r * src.a + dst.r * dst.a * (1 - src.a)) / a;
        dst.g = (src.g * src.a + dst.g * dst.a * (1 - src.a)) / a;
        dst.b = (src.b * src.a + dst.b * dst.a * (1 - src.a)) / a;
        dst.a = a;
    }

    // A pixel coordinate in 100 % units.
    float U(float pixel) const { return pixel / scale_; }

    int w_, h_;
    float scale_;
    float ox_ = 0, oy_ = 0;
    int x0_ = 0, y0_ = 0, x1_ = -1, y1_ = -1;
    std::vector<Rgba> px_;
};

// Shapes ------------------------------------------------------------------

Shape RoundRect(float l, float t, float r, float b, float radius) {
    return [=](float x, float y) {
        if (x < l || x > r || y < t || y > b) return false;
        const float cx = std::clamp(x, l + radius, r - radius);
        const float cy = std::clamp(y, t + radius, b - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape Ring(float cx, float cy, float inner, float outer, float fromDeg = 0, float spanDeg = 360) {
    return [=](float x, float y) {
        const float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (d2 < inner * inner || d2 > outer * outer) return false;
        if (spanDeg >= 360) return true;
        // Clockwise from twelve o'clock.
        float deg = std::atan2(x - cx, -(y - cy)) * 180.0f / 3.14159265f;
        if (deg < 0) deg += 360;
        float rel = deg - fromDeg;
        while (rel < 0) rel += 360;
        return rel <= spanDeg;
    };
}

// A thick segment with round ends.
Shape Stroke(float x0, float y0, float x1, float y1, float width) {
    return [=](float x, float y) {
        const float dx = x1 - x0, dy = y1 - y0;
        const float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
        t = std::clamp(t, 0.0f, 1.0f);
        const float px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

Shape Inverse(Shape outer, Shape hole) {
    return [=](float x, float y) { return outer(x, y) && !hole(x, y); };
}

Paint Solid(Rgba c) {
    return [=](float, float) { return c; };
}

Paint Vertical(Rgba top, Rgba bottom, float y0, float y1) {
    return [=](float, float y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

// The palette: one blue family, neutral greys.
const Rgba kCaptionTop = Hex(0x2B6CB8);
const Rgba kCaptionBottom = Hex(0x1F5596);
const Rgba kBodyTop = Hex(0xF7F9FC);
const Rgba kBodyBottom = Hex(0xE8EEF5);
const Rgba kAccent = Hex(0x2F7BD8);
const Rgba kAccentDark = Hex(0x1F5FAE);
const Rgba kWhite = Hex(0xFFFFFF);
constexpr float kCaptionHeight = 30;

Paint CaptionPaint() { return Vertical(kCaptionTop, kCaptionBottom, 0, kCaptionHeight); }

// 163: the caption strip and the body with a soft panel.
Canvas Background(float s) {
    Canvas c(360, 300, s);
    c.Fill([](float, float y) { return y < kCaptionHeight; }, CaptionPaint());
    c.Fill([](float, float y) { return y >= kCaptionHeight; }, Vertical(kBodyTop, kBodyBottom, kCaptionHeight, 300));
    c.Fill([](float, float y) { return y >= kCaptionHeight && y < kCaptionHeight + 1; }, Solid(Hex(0x17467F)));
    // A soft panel behind the drive picture and the button.
    // The window stretches this picture to 310 pixels: the panel ends at
    // about 263 there, between the button and the notes below it.
    c.Fill(RoundRect(16, 46, 344, 254, 8), Solid(Hex(0xFFFFFF, 0.55f)));
    c.Fill(Inverse(RoundRect(16, 46, 344, 254, 8), RoundRect(17, 47, 343, 253, 7)), Solid(Hex(0xD3DCE8)));
    return c;
}

// Caption buttons: the minimise faces are opaque (they copy the caption
// strip behind them), the close faces transparent.
Canvas MinimiseButton(bool pushed, float s) {
    Canvas c(26, 26, s);
    c.Fill([](float, float) { return true; }, CaptionPaint());
    if (pushed) c.Fill(RoundRect(2, 2, 24, 24, 4), Solid(Hex(0xFFFFFF, 0.22f)));
    c.Fill(Stroke(8, 17, 18, 17, 2), Solid(kWhite));
    return c;
}

Canvas CloseButton(bool pushed, float s) {
    Canvas c(26, 26, s);
    if (pushed) c.Fill(RoundRect(2, 2, 24, 24, 4), Solid(Hex(0xE0443E)));
    c.Fill(Stroke(8.5f, 8.5f, 17.5f, 17.5f, 2), Solid(kWhite));
    c.Fill(Stroke(17.5f, 8.5f, 8.5f, 17.5f, 2), Solid(kWhite));
    return c;
}

// 168, 169, 170: the format button's faces; the text is drawn by the window.
Canvas FormatButton(int w, int h, Rgba top, Rgba bottom, Rgba edge, bool shadow, float s) {
    Canvas c(w, h, s);
    const float r = 9;
    if (shadow) c.Fill(RoundRect(2, 3, w - 2.0f, h - 0.5f, r), Solid(Hex(0x1F3B60, 0.18f)));
    c.Fill(RoundRect(1, 1, w - 2.0f, h - 3.0f, r), Solid(edge));
    c.Fill(RoundRect(2, 2, w - 3.0f, h - 4.0f, r - 1), Vertical(top, bottom, 2, h - 4.0f));
    // A faint gloss on the upper half.
    c.Fill(RoundRect(3, 3, w - 4.0f, h / 2.0f, r - 2), Solid(Hex(0xFFFFFF, 0.12f)));
    return c;
}

// 182, 183: the combo faces, drawn large; the window scales them down to
// 200 x 23, so every width here is about four times what shows.
Canvas ComboFace(bool hot, float s) {
    Canvas c(834, 97, s);
    const Rgba edge = hot ? kAccent : Hex(0xA9B6C6);
    c.Fill(RoundRect(2, 2, 832, 95, 14), Solid(edge));
    c.Fill(RoundRect(7, 7, 827, 90, 10), Solid(kWhite));
    // The arrow well on the right.
    const float wl = 834 - 7 - 110;
    c.Fill(Inverse(RoundRect(wl, 7, 827, 90, 10), [=](float x, float) { return x < wl + 10; }),
           Solid(hot ? Hex(0xDCEBFB) : Hex(0xEEF2F7)));
    c.Fill([=](float x, float y) { return x >= wl && x < wl + 5 && y > 7 && y < 90; }, Solid(edge));
    const float ax = wl + 55, ay = 50;
    const Rgba arrow = hot ? kAccentDark : Hex(0x5B6B7F);
    c.Fill(Stroke(ax - 22, ay - 10, ax, ay + 12, 10), Solid(arrow));
    c.Fill(Stroke(ax, ay + 12, ax + 22, ay - 10, 10), Solid(arrow));
    return c;
}

// One 83 x 83 frame of the disk strip: a USB stick in a ring. Frame 0 is
// greyed out (no drive); frame 1 a drive present; frames 2 to 17 light a
// segment of the ring that runs around as the work goes on.
void DiskFrame(Canvas& c, int frame) {
    const bool present = frame > 0;
    const float cx = 41.5f, cy = 41.5f;
    const Rgba ringBase = present ? Hex(0xD6E4F5) : Hex(0xDADDE1);
    c.Fill(Ring(cx, cy, 33, 39), Solid(ringBase));
    if (frame >= 2) {
        const float start = (frame - 2) * 22.5f;
        c.Fill(Ring(cx, cy, 33, 39, start, 90), Solid(kAccent));
        c.Fill(Ring(cx, cy, 33, 39, start + 90, 22.5f), Solid(Hex(0x2F7BD8, 0.45f)));
    } else if (frame == 1) {
        c.Fill(Ring(cx, cy, 33, 39), Solid(Hex(0xA9C8EE)));
    }
    // The stick, upright: metal plug on top, body below.
    const Rgba body = present ? kAccent : Hex(0xB5BBC3);
    const Rgba bodyDark = present ? kAccentDark : Hex(0x9AA1AA);
    const Rgba plug = present ? Hex(0xC9D1DB) : Hex(0xD5D8DC);
    c.Fill(RoundRect(31, 14, 52, 32, 2), Solid(plug));
    c.Fill(RoundRect(35, 19, 39, 24, 0.5f), Solid(present ? Hex(0x7D8896) : Hex(0xB0B5BB)));
    c.Fill(RoundRect(44, 19, 48, 24, 0.5f), Solid(present ? Hex(0x7D8896) : Hex(0xB0B5BB)));
    c.Fill(RoundRect(27, 30, 56, 68, 5), Vertical(body, bodyDark, 30, 68));
    c.Fill(RoundRect(33, 38, 50, 50, 2), Solid(Hex(0xFFFFFF, present ? 0.85f : 0.6f)));
    c.Fill(RoundRect(39, 58, 44, 63, 2.5f), Solid(present ? Hex(0x9BE08A) : Hex(0xC9CDD2)));
}

Canvas DiskStrip(float s) {
    Canvas strip(1576, 84, s);
    for (int k = 0; k <= 17; ++k) {
        strip.SetFrame(83.0f * k, 0, 83, 83);
        DiskFrame(strip, k);
    }
    return strip;
}

// The icon master at 256 x 256; the icon sizes are scaled from it.
Canvas IconMaster() {
    Canvas c(256, 256, 1.0f);
    c.Fill(RoundRect(8, 8, 248, 248, 44), Vertical(Hex(0x3C8BE6), kAccentDark, 8, 248));
    c.Fill(RoundRect(8, 8, 248, 128, 44), Solid(Hex(0xFFFFFF, 0.10f)));
    c.Fill(RoundRect(92, 36, 164, 92, 6), Solid(Hex(0xE9EEF4)));
    c.Fill(RoundRect(106, 52, 120, 68, 2), Solid(Hex(0x6E7B8B)));
    c.Fill(RoundRect(136, 52, 150, 68, 2), Solid(Hex(0x6E7B8B)));
    c.Fill(RoundRect(78, 86, 178, 220, 16), Solid(kWhite));
    c.Fill(RoundRect(98, 112, 158, 150, 6), Solid(kAccent));
    c.Fill(RoundRect(118, 186, 138, 206, 10), Solid(Hex(0x57C443)));
    return c;
}

// The art sets: the folder under the output folder and the scale.
struct ArtSet {
    const char* folder;
    float scale;
};
constexpr ArtSet kArtSets[] = {{"", 1.0f}, {"125/", 1.25f}, {"150/", 1.5f}, {"200/", 2.0f}};

bool Save(const std::string& path, const Canvas& canvas, int channels) {
    if (canvas.Save(path, channels)) return true;
    std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER\n");
        return 64;
    }
    const std::string out = std::string(argv[1]) + "/";
    struct Item {
        const char* name;
        std::function<Canvas(float)> draw;
        int channels;
    };
    const Item items[] = {
        {"163-background.png", Background, 4},
        {"164-minimise-pushed.png", [](float s) { return MinimiseButton(true, s); }, 3},
        {"165-close-pushed.png", [](float s) { return CloseButton(true, s); }, 4},
        {"166-minimise.png", [](float s) { return MinimiseButton(false, s); }, 3},
        {"167-close.png", [](float s) { return CloseButton(false, s); }, 4},
        {"168-format-disabled.png",
         [](float s) { return FormatButton(112, 58, Hex(0xD3D8DE), Hex(0xBCC3CC), Hex(0xA8B0BA), false, s); }, 4},
        {"169-format.png",
         [](float s) { return FormatButton(112, 58, Hex(0x3C8BE6), kAccentDark, Hex(0x1B4F8F), true, s); }, 4},
        {"170-format-pushed.png",
         [](float s) { return FormatButton(110, 57, Hex(0x2A6DC0), Hex(0x1A4C8A), Hex(0x163F73), false, s); }, 4},
        {"173-disk-strip.png", DiskStrip, 4},
        {"182-combo.png", [](float s) { return ComboFace(false, s); }, 4},
        {"183-combo-hot.png", [](float s) { return ComboFace(true, s); }, 4},
    };
    for (const ArtSet& set : kArtSets) {
        for (const Item& item : items) {
            if (!Save(out + set.folder + item.name, item.draw(set.scale), item.channels)) return 1;
        }
    }
    return Save(out + "icon-256.png", IconMaster(), 4) ? 0 : 1;
}
