// Writes the program's textures (land, cursor, editor icons and panels, memorial picture) as
// uncompressed 32-bit DDS files into the run directory given as the only argument.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static const float kPi = 3.14159265f;

// ---------------------------------------------------------------------------------------------
// Colours and images

struct Col
{
    float r, g, b;
};

static Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
static Col operator*(Col a, float k) { return {a.r * k, a.g * k, a.b * k}; }
static Col Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
static Col Mix(Col a, Col b, float t) { return a * (1.0f - t) + b * t; }

static float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
static float Smooth(float e0, float e1, float x)
{
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// Pixels with premultiplied alpha, top row first.
struct Image
{
    int w = 0, h = 0;
    std::vector<float> px; // r, g, b, a per pixel

    Image(int width, int height) : w(width), h(height), px((size_t)width * height * 4, 0.0f) {}
    float* At(int x, int y) { return &px[((size_t)y * w + x) * 4]; }
    void Set(int x, int y, Col c, float a = 1.0f)
    {
        float* p = At(x, y);
        p[0] = c.r * a;
        p[1] = c.g * a;
        p[2] = c.b * a;
        p[3] = a;
    }
    // Source-over with coverage; c is a straight colour.
    void Blend(int x, int y, Col c, float a)
    {
        if (a <= 0.0f)
            return;
        float* p = At(x, y);
        p[0] = c.r * a + p[0] * (1.0f - a);
        p[1] = c.g * a + p[1] * (1.0f - a);
        p[2] = c.b * a + p[2] * (1.0f - a);
        p[3] = a + p[3] * (1.0f - a);
    }
};

static void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back((uint8_t)(v >> (8 * i)));
}

static bool g_bFailed = false;

static void SaveDds(const fs::path& path, Image& img)
{
    std::vector<uint8_t> out;
    out.insert(out.end(), {'D', 'D', 'S', ' '});
    Put32(out, 124);
    Put32(out, 0x100F); // CAPS | HEIGHT | WIDTH | PITCH | PIXELFORMAT
    Put32(out, img.h);
    Put32(out, img.w);
    Put32(out, img.w * 4);
    Put32(out, 0); // depth
    Put32(out, 0); // mip count
    for (int i = 0; i < 11; i++)
        Put32(out, 0);
    Put32(out, 32);
    Put32(out, 0x41); // RGB | ALPHAPIXELS
    Put32(out, 0);
    Put32(out, 32);
    Put32(out, 0x00FF0000);
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
    Put32(out, 0x1000); // TEXTURE
    for (int i = 0; i < 4; i++)
        Put32(out, 0);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++)
        {
            const float* p = img.At(x, y);
            float a = Clamp01(p[3]);
            float k = a > 0.0f ? 1.0f / a : 0.0f;
            out.push_back((uint8_t)std::lround(Clamp01(p[2] * k) * 255.0f));
            out.push_back((uint8_t)std::lround(Clamp01(p[1] * k) * 255.0f));
            out.push_back((uint8_t)std::lround(Clamp01(p[0] * k) * 255.0f));
            out.push_back((uint8_t)std::lround(a * 255.0f));
        }
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary);
    f.write((const char*)out.data(), (std::streamsize)out.size());
    if (!f)
    {
        std::fprintf(stderr, "makeassets: cannot write %s\n", path.string().c_str());
        g_bFailed = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Hash and noise. Everything on the land textures is periodic over the texture so that the
// textures tile without seams.

static uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

static float Hash01(uint32_t x, uint32_t y, uint32_t seed)
{
    return (Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

static int Wrap(int i, int n) { return ((i % n) + n) % n; }

// Value noise in [0, 1) on a lattice of `period` cells over u, v in [0, 1).
static float ValueNoise(float u, float v, int period, uint32_t seed)
{
    float x = u * period, y = v * period;
    int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * fx * (fx * (fx * 6 - 15) + 10);
    fy = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
    int xa = Wrap(x0, period), xb = Wrap(x0 + 1, period);
    int ya = Wrap(y0, period), yb = Wrap(y0 + 1, period);
    float a = Hash01(xa, ya, seed), b = Hash01(xb, ya, seed);
    float c = Hash01(xa, yb, seed), d = Hash01(xb, yb, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Fractal sum of value noise, about [0, 1).
static float Fbm(float u, float v, int period, int octaves, uint32_t seed, float gain = 0.5f)
{
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    for (int i = 0; i < octaves; i++)
    {
        sum += ValueNoise(u, v, period << i, seed + 101u * i) * amp;
        norm += amp;
        amp *= gain;
    }
    return sum / norm;
}

// Cellular noise over `cells` x `cells` cells: distances (in cells) to the nearest and second
// nearest feature point and a random number of the nearest point's cell.
struct Cell
{
    float f1, f2, id, dx, dy;
};

static Cell Cellular(float u, float v, int cells, uint32_t seed)
{
    float x = u * cells, y = v * cells;
    int cx = (int)std::floor(x), cy = (int)std::floor(y);
    Cell r = {9.0f, 9.0f, 0.0f, 0.0f, 0.0f};
    for (int j = -2; j <= 2; j++) // two rings: the second nearest point can lie that far
        for (int i = -2; i <= 2; i++)
        {
            int gx = Wrap(cx + i, cells), gy = Wrap(cy + j, cells);
            float px = cx + i + 0.1f + 0.8f * Hash01(gx, gy, seed);
            float py = cy + j + 0.1f + 0.8f * Hash01(gx, gy, seed + 7u);
            float dx = x - px, dy = y - py;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d < r.f1)
            {
                r.f2 = r.f1;
                r.f1 = d;
                r.id = Hash01(gx, gy, seed + 13u);
                r.dx = dx;
                r.dy = dy;
            }
            else if (d < r.f2)
                r.f2 = d;
        }
    return r;
}

// ---------------------------------------------------------------------------------------------
// The sixteen grounds. u, v in [0, 1), v downward.

static Col Rock(float u, float v)
{
    float n = Fbm(u, v, 4, 5, 11, 0.6f);
    float ridge = 1.0f - std::fabs(2.0f * Fbm(u, v, 3, 4, 16) - 1.0f); // weathered ridges
    float shade = Clamp01(1.4f * (0.55f * n + 0.45f * ridge) - 0.25f);
    Col c = Mix(Rgb(70, 68, 68), Rgb(178, 172, 162), shade);
    c = Mix(c, Rgb(132, 118, 98), 0.45f * Smooth(0.5f, 0.7f, Fbm(u, v, 2, 3, 17)));
    Cell k = Cellular(u + 0.07f * Fbm(u, v, 8, 3, 12), v + 0.07f * Fbm(u, v, 8, 3, 18), 4, 13);
    float crack = (1.0f - Smooth(0.0f, 0.09f, k.f2 - k.f1)) * Smooth(0.35f, 0.55f, Fbm(u, v, 4, 2, 19));
    c = c * (1.0f - 0.6f * crack);
    float lichen = Smooth(0.7f, 0.76f, Fbm(u, v, 8, 3, 14));
    c = Mix(c, Rgb(140, 146, 88), 0.45f * lichen);
    return c * (0.88f + 0.22f * ValueNoise(u, v, 64, 15));
}

static Col Cliff(float u, float v)
{
    float warp = Fbm(u, v, 4, 3, 21);
    float layer = v * 7.0f + 0.9f * warp;
    float band = Hash01((uint32_t)Wrap((int)std::floor(layer), 7), 0, 22);
    Col c = Mix(Rgb(84, 70, 58), Rgb(150, 128, 104), band);
    float edge = layer - std::floor(layer);
    c = c * (0.75f + 0.35f * Smooth(0.0f, 0.25f, edge)); // shadow under each ledge
    Cell cell = Cellular(u, v, 6, 23);
    float crack = 1.0f - Smooth(0.0f, 0.06f, cell.f2 - cell.f1);
    c = c * (1.0f - 0.45f * crack * Smooth(0.3f, 0.6f, Fbm(u, v, 4, 2, 24)));
    return c * (0.85f + 0.3f * Fbm(u, v, 16, 3, 25));
}

static Col Gravel(float u, float v)
{
    Cell c = Cellular(u, v, 11, 31);
    float t = c.id;
    Col stone = t < 0.33f ? Rgb(150, 146, 138) : (t < 0.66f ? Rgb(128, 112, 96) : Rgb(176, 164, 142));
    stone = stone * (0.8f + 0.4f * Hash01((uint32_t)(c.id * 1e6f), 0, 32));
    float rim = Smooth(0.0f, 0.22f, c.f2 - c.f1);
    float lit = Clamp01(0.6f - 0.9f * (c.dx + c.dy)); // light from the top left
    Col gap = Rgb(70, 62, 54);
    Col p = Mix(gap, stone * (0.75f + 0.45f * lit), rim);
    return p * (0.9f + 0.2f * ValueNoise(u, v, 64, 33));
}

static Col Sand(float u, float v)
{
    float warp = Fbm(u, v, 3, 3, 41);
    float ripple = std::sin(2.0f * kPi * (2.0f * u + 7.0f * v + 1.2f * warp));
    Col c = Mix(Rgb(206, 184, 134), Rgb(232, 214, 166), Fbm(u, v, 4, 4, 42));
    c = c * (0.95f + 0.06f * ripple);
    return c * (0.94f + 0.1f * ValueNoise(u, v, 64, 43));
}

static Col Desert(float u, float v)
{
    float dune = Fbm(u, v, 2, 3, 51);
    float ripple = std::sin(2.0f * kPi * (5.0f * u + 3.0f * v + 2.0f * dune));
    Col c = Mix(Rgb(178, 102, 52), Rgb(226, 150, 86), dune);
    c = c * (0.93f + 0.07f * ripple);
    Cell s = Cellular(u, v, 9, 52);
    if (s.id > 0.75f) // scattered pebbles
        c = Mix(c, Rgb(120, 78, 50), 0.75f * (1.0f - Smooth(0.12f, 0.2f, s.f1)));
    return c * (0.94f + 0.1f * ValueNoise(u, v, 64, 53));
}

static Col DryEarth(float u, float v)
{
    Cell c = Cellular(u + 0.03f * Fbm(u, v, 8, 2, 61), v, 6, 62);
    Col plate = Mix(Rgb(160, 128, 88), Rgb(196, 164, 118), c.id);
    plate = plate * (0.9f + 0.15f * Clamp01(c.f1 * 1.6f)); // plates curl up at their edges
    float crack = 1.0f - Smooth(0.0f, 0.07f, c.f2 - c.f1);
    plate = Mix(plate, Rgb(82, 60, 40), crack);
    return plate * (0.9f + 0.2f * Fbm(u, v, 16, 3, 63));
}

static Col Mud(float u, float v)
{
    float n = Fbm(u, v, 4, 5, 71);
    Col c = Mix(Rgb(62, 44, 30), Rgb(112, 84, 58), n);
    float wet = Smooth(0.55f, 0.62f, Fbm(u, v, 3, 3, 72));
    Col puddle = Mix(Rgb(58, 52, 44), Rgb(104, 102, 96), Smooth(0.5f, 0.8f, Fbm(u, v, 8, 2, 73)));
    c = Mix(c, puddle, wet * 0.85f);
    return c * (0.9f + 0.2f * ValueNoise(u, v, 32, 74));
}

static Col Swamp(float u, float v)
{
    float n = Fbm(u, v, 3, 5, 81);
    Col water = Mix(Rgb(30, 36, 26), Rgb(58, 64, 44), Fbm(u, v, 6, 3, 82));
    float sky = Smooth(0.6f, 0.75f, Fbm(u, v, 4, 2, 86)); // dull reflections
    water = Mix(water, Rgb(86, 94, 80), 0.4f * sky);
    Col bank = Mix(Rgb(58, 60, 30), Rgb(96, 98, 44), Fbm(u, v, 16, 3, 83));
    Col c = Mix(water, bank, Smooth(0.54f, 0.6f, n));
    Cell reed = Cellular(u, v, 16, 84);
    if (n > 0.5f && reed.id > 0.5f && std::fabs(reed.dx) < 0.08f && reed.dy < 0.3f && reed.dy > -0.3f)
        c = Rgb(150, 140, 76); // reed stalks
    float scum = Smooth(0.62f, 0.7f, Fbm(u, v, 12, 2, 85)) * (1.0f - Smooth(0.5f, 0.56f, n));
    return Mix(c, Rgb(84, 100, 44), 0.55f * scum);
}

static Col Grass(float u, float v)
{
    float n = Fbm(u, v, 4, 4, 91);
    Col c = Mix(Rgb(58, 96, 32), Rgb(104, 146, 52), n);
    c = Mix(c, Rgb(130, 140, 60), 0.3f * Smooth(0.6f, 0.8f, Fbm(u, v, 3, 2, 92)));
    float blade = ValueNoise(u, v, 64, 93);
    float tuft = ValueNoise(u, v, 48, 94);
    return c * (0.82f + 0.22f * blade + 0.12f * tuft);
}

static Col DarkGrass(float u, float v)
{
    float n = Fbm(u, v, 4, 4, 101);
    Col c = Mix(Rgb(26, 58, 24), Rgb(52, 94, 38), n);
    float tuft = ValueNoise(u, v, 32, 102);
    float fine = ValueNoise(u, v, 64, 103);
    return c * (0.7f + 0.35f * tuft + 0.2f * fine);
}

static Col Meadow(float u, float v)
{
    float n = Fbm(u, v, 4, 4, 111);
    Col c = Mix(Rgb(86, 132, 48), Rgb(132, 170, 70), n);
    c = c * (0.85f + 0.25f * ValueNoise(u, v, 64, 112));
    Cell f = Cellular(u, v, 12, 113);
    if (f.id > 0.45f)
    {
        float k = Hash01((uint32_t)(f.id * 1e6f), 1, 114);
        Col petal = k < 0.3f ? Rgb(246, 222, 60) : (k < 0.55f ? Rgb(250, 250, 244)
                                                  : (k < 0.8f ? Rgb(176, 110, 220) : Rgb(226, 60, 56)));
        float d = f.f1 * 64.0f / 12.0f; // in texels
        c = Mix(c, petal, 1.0f - Smooth(0.7f, 1.3f, d));
        if (d < 0.45f && k >= 0.3f)
            c = Rgb(240, 200, 60); // yellow heart
    }
    return c;
}

static Col ForestFloor(float u, float v)
{
    Cell leaf = Cellular(u + 0.05f * Fbm(u, v, 8, 2, 121), v, 10, 122);
    float t = leaf.id;
    Col c = t < 0.3f ? Rgb(116, 78, 38) : (t < 0.6f ? Rgb(84, 60, 36) : (t < 0.85f ? Rgb(140, 96, 42) : Rgb(110, 50, 30)));
    c = c * (0.7f + 0.5f * Smooth(0.0f, 0.25f, leaf.f2 - leaf.f1));
    float moss = Smooth(0.58f, 0.66f, Fbm(u, v, 4, 4, 123));
    c = Mix(c, Rgb(66, 92, 40) * (0.8f + 0.4f * ValueNoise(u, v, 32, 124)), moss);
    float needle = std::fabs(std::sin(2.0f * kPi * (9.0f * u + 4.0f * v + 3.0f * Fbm(u, v, 4, 2, 125))));
    c = c * (1.0f - 0.3f * Smooth(0.96f, 1.0f, needle));
    return c;
}

static Col Snow(float u, float v)
{
    float n = Fbm(u, v, 3, 5, 131);
    Col c = Mix(Rgb(196, 208, 228), Rgb(246, 248, 252), n);
    float sparkle = Hash01((uint32_t)(u * 64), (uint32_t)(v * 64), 132);
    if (sparkle > 0.97f)
        c = Rgb(255, 255, 255);
    return c * (0.97f + 0.05f * ValueNoise(u, v, 64, 133));
}

static Col Ice(float u, float v)
{
    float n = Fbm(u, v, 3, 4, 141);
    Col c = Mix(Rgb(120, 176, 206), Rgb(196, 228, 240), n);
    Cell k = Cellular(u + 0.03f * Fbm(u, v, 8, 2, 142), v, 4, 143);
    float crack = 1.0f - Smooth(0.0f, 0.08f, k.f2 - k.f1);
    c = Mix(c, Rgb(236, 246, 252), 0.7f * crack);
    float streak = std::sin(2.0f * kPi * (3.0f * u - 2.0f * v + Fbm(u, v, 4, 2, 144)));
    return c * (0.96f + 0.05f * streak);
}

static Col LavaAsh(float u, float v)
{
    float n = Fbm(u, v, 4, 5, 151);
    Col ash = Mix(Rgb(34, 30, 30), Rgb(78, 72, 70), n);
    Cell c = Cellular(u + 0.05f * Fbm(u, v, 8, 2, 152), v, 5, 153);
    float gap = c.f2 - c.f1;
    float glow = (1.0f - Smooth(0.0f, 0.14f, gap)) * Smooth(0.35f, 0.55f, Fbm(u, v, 3, 2, 154));
    Col hot = Mix(Rgb(180, 40, 10), Rgb(255, 196, 60), 1.0f - Smooth(0.0f, 0.06f, gap));
    return Mix(ash, hot, glow);
}

static Col Water(float u, float v)
{
    float depth = Fbm(u, v, 2, 3, 161);
    Col c = Mix(Rgb(26, 78, 112), Rgb(54, 128, 146), depth);
    Cell k = Cellular(u + 0.08f * Fbm(u, v, 4, 2, 162), v + 0.08f * Fbm(u, v, 4, 2, 163), 5, 164);
    float caustic = 1.0f - Smooth(0.0f, 0.22f, k.f2 - k.f1);
    c = Mix(c, Rgb(120, 186, 200), 0.3f * caustic * caustic);
    float ripple = std::sin(2.0f * kPi * (4.0f * u + 6.0f * v + 2.0f * Fbm(u, v, 3, 2, 166)));
    c = c * (0.95f + 0.06f * ripple);
    return c * (0.96f + 0.06f * ValueNoise(u, v, 32, 165));
}

typedef Col (*GroundFn)(float, float);
static const GroundFn kGrounds[16] = {Rock,  Cliff,     Gravel, Sand,        Desert, DryEarth,
                                      Mud,   Swamp,     Grass,  DarkGrass,   Meadow, ForestFloor,
                                      Snow,  Ice,       LavaAsh, Water};

// ---------------------------------------------------------------------------------------------
// Transition masks of the seven alpha textures: true where the alpha texture's ground shows.

static bool InMask(int k, float u, float v)
{
    float wobble = 0.16f * (Fbm(u, v, 2, 4, 200 + k) - 0.5f) * 2.0f;
    float ragged = 0.025f * (ValueNoise(u, v, 32, 210 + k) - 0.5f) * 2.0f;
    float e = wobble + ragged;
    auto corner = [](float a, float b) { return std::pow(std::pow(a, 4.0f) + std::pow(b, 4.0f), 0.25f); };
    switch (k)
    {
    case 1: return u + e < 0.5f;                                          // a half
    case 2: return corner(u, v) + e < 0.56f;                              // a corner
    case 3: return corner(1.0f - u, 1.0f - v) + e > 0.52f;                // three quarters
    case 4: return u + v + 1.5f * e < 1.0f;                               // a diagonal
    case 5:                                                               // an island
    {
        float du = u - 0.5f, dv = v - 0.5f;
        return std::sqrt(du * du + dv * dv) + 0.8f * e < 0.3f;
    }
    case 6: return corner(u, v) + e < 0.44f || corner(1.0f - u, 1.0f - v) + e < 0.44f; // two corners
    default:                                                              // a ragged patch
    {
        float du = u - 0.5f, dv = v - 0.5f;
        float r = std::sqrt(du * du + dv * dv);
        return Fbm(u, v, 4, 4, 220) + 0.55f * (0.38f - r) + 0.5f * ragged > 0.5f;
    }
    }
}

static const int kLandSize = 64;

static void WriteLandTextures(const fs::path& dir)
{
    const int n = kLandSize;
    for (int t = 0; t < 16; t++)
    {
        std::vector<Col> ground((size_t)n * n);
        Col mean = {0, 0, 0};
        for (int y = 0; y < n; y++)
            for (int x = 0; x < n; x++)
            {
                Col c = kGrounds[t]((x + 0.5f) / n, (y + 0.5f) / n);
                // Exact black is the colour key: keep every ground texel off it.
                c = {std::max(c.r, 0.03f), std::max(c.g, 0.03f), std::max(c.b, 0.03f)};
                ground[(size_t)y * n + x] = c;
                mean = mean + c * (1.0f / (n * n));
            }
        // The mini map colours a tile by the texel at the texture's centre.
        for (int y = n / 2 - 1; y <= n / 2; y++)
            for (int x = n / 2 - 1; x <= n / 2; x++)
                ground[(size_t)y * n + x] = mean;

        for (int k = 0; k < 8; k++)
        {
            Image img(n, n);
            for (int y = 0; y < n; y++)
                for (int x = 0; x < n; x++)
                {
                    bool in = k == 0 || InMask(k, (x + 0.5f) / n, (y + 0.5f) / n);
                    img.Set(x, y, in ? ground[(size_t)y * n + x] : Col{0, 0, 0});
                }
            char name[32];
            std::snprintf(name, sizeof name, "lnd%02d.dds", t * 8 + k);
            SaveDds(dir / name, img);
        }
    }

    // The plain texture: drawn for every base layer while base textures are switched off.
    Image plain(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
        {
            float g = 0.84f + 0.03f * (Fbm((x + 0.5f) / n, (y + 0.5f) / n, 4, 3, 300) - 0.5f);
            plain.Set(x, y, {g, g, g});
        }
    SaveDds(dir / "lnd128.dds", plain);
}

// ---------------------------------------------------------------------------------------------
// Vector drawing for the cursor, icons and panels: shapes are signed distance functions
// (negative inside), sampled 4 x 4 times per pixel.

typedef std::function<float(float, float)> Shape;

struct Pt
{
    float x, y;
};

static float Len(float x, float y) { return std::sqrt(x * x + y * y); }

static Shape Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return Len(x - cx, y - cy) - r; };
}

static Shape Ellipse(float cx, float cy, float rx, float ry)
{
    return [=](float x, float y) {
        float k = Len((x - cx) / rx, (y - cy) / ry);
        return (k - 1.0f) * std::min(rx, ry);
    };
}

static Shape Box(float x0, float y0, float x1, float y1, float round = 0.0f)
{
    return [=](float x, float y) {
        float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
        float hx = (x1 - x0) * 0.5f - round, hy = (y1 - y0) * 0.5f - round;
        float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
        return Len(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - round;
    };
}

static float SegDist(float x, float y, Pt a, Pt b)
{
    float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
    float t = Clamp01((px * bx + py * by) / (bx * bx + by * by));
    return Len(px - bx * t, py - by * t);
}

static Shape Line(Pt a, Pt b, float width)
{
    return [=](float x, float y) { return SegDist(x, y, a, b) - width * 0.5f; };
}

static Shape Poly(std::vector<Pt> p)
{
    return [=](float x, float y) {
        float d = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        {
            d = std::min(d, SegDist(x, y, p[j], p[i]));
            if ((p[i].y > y) != (p[j].y > y) &&
                x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
                inside = !inside;
        }
        return inside ? -d : d;
    };
}

// A ring of radius r from angle a0 to a1 (radians, clockwise on screen from +x).
static Shape Arc(float cx, float cy, float r, float a0, float a1, float width)
{
    return [=](float x, float y) {
        float a = std::atan2(y - cy, x - cx);
        while (a < a0)
            a += 2.0f * kPi;
        if (a <= a1)
            return std::fabs(Len(x - cx, y - cy) - r) - width * 0.5f;
        Pt e0 = {cx + r * std::cos(a0), cy + r * std::sin(a0)};
        Pt e1 = {cx + r * std::cos(a1), cy + r * std::sin(a1)};
        return std::min(Len(x - e0.x, y - e0.y), Len(x - e1.x, y - e1.y)) - width * 0.5f;
    };
}

static Shape Union(Shape a, Shape b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

static Shape Minus(Shape a, Shape b)
{
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

static Shape Grow(Shape a, float by)
{
    return [=](float x, float y) { return a(x, y) - by; };
}

// Where shapes land on an image: image pixel = origin + scale * shape unit.
struct Place
{
    float ox = 0.0f, oy = 0.0f, s = 1.0f;
};

static void Fill(Image& img, const Place& at, const Shape& shape, Col c, float alpha = 1.0f)
{
    // A pixel whose centre lies more than a pixel outside the shape has no sample inside it.
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++)
        {
            float cx = (x + 0.5f - at.ox) / at.s, cy = (y + 0.5f - at.oy) / at.s;
            if (shape(cx, cy) * at.s > 1.0f)
                continue;
            int hits = 0;
            for (int j = 0; j < 4; j++)
                for (int i = 0; i < 4; i++)
                {
                    float sx = (x + (i + 0.5f) / 4.0f - at.ox) / at.s;
                    float sy = (y + (j + 0.5f) / 4.0f - at.oy) / at.s;
                    if (shape(sx, sy) < 0.0f)
                        hits++;
                }
            img.Blend(x, y, c, alpha * hits / 16.0f);
        }
}

// A shape with a dark outline of `edge` shape units.
static void Outlined(Image& img, const Place& at, const Shape& shape, Col c, float edge = 1.0f,
                     Col line = Rgb(20, 20, 24))
{
    Fill(img, at, Grow(shape, edge), line);
    Fill(img, at, shape, c);
}

// ---------------------------------------------------------------------------------------------
// The software cursor: an arrow with its tip at the texture's top-left corner, inside the
// top-left 70 % that the cursor quad shows.

static void WriteCursor(const fs::path& dir)
{
    Image img(32, 32);
    Shape arrow = Poly({{1.0f, 1.0f}, {1.0f, 18.0f}, {5.2f, 14.2f}, {8.2f, 20.6f}, {11.0f, 19.4f},
                        {8.1f, 13.1f}, {13.4f, 13.1f}});
    Place at;
    Outlined(img, at, arrow, Rgb(255, 255, 255), 1.1f, Rgb(16, 16, 20));
    SaveDds(dir / "zancursor.dds", img);
}

// ---------------------------------------------------------------------------------------------
// Tool icons, drawn in 16 x 16 units; each icon's hot spot (where the tool acts) is where the
// picture points: bottom left for sample and flood, bottom middle for paint, centre for the
// corner and texture tools, bottom right for paint height.

static const Col kInk = {0.08f, 0.08f, 0.10f};

static void IconSample(Image& img, const Place& at)
{
    Outlined(img, at, Line({2.0f, 14.0f}, {10.0f, 6.0f}, 2.6f), Rgb(200, 232, 240));
    Outlined(img, at, Poly({{0.6f, 15.4f}, {1.2f, 12.6f}, {3.4f, 14.8f}}), Rgb(200, 232, 240), 0.8f);
    Fill(img, at, Line({3.0f, 13.0f}, {6.5f, 9.5f}, 1.2f), Rgb(70, 150, 60));
    Outlined(img, at, Line({9.0f, 5.5f}, {11.0f, 7.5f}, 2.0f), Rgb(150, 150, 160));
    Outlined(img, at, Circle(12.2f, 3.8f, 2.9f), Rgb(210, 50, 44));
}

static void IconPaint(Image& img, const Place& at)
{
    Outlined(img, at, Line({7.5f, 1.0f}, {7.5f, 7.0f}, 2.6f), Rgb(176, 112, 52));
    Outlined(img, at, Box(5.0f, 7.0f, 10.0f, 9.6f), Rgb(190, 190, 200));
    Outlined(img, at, Poly({{5.0f, 9.6f}, {10.0f, 9.6f}, {9.4f, 13.0f}, {7.5f, 15.4f}, {5.6f, 13.0f}}),
             Rgb(80, 170, 60));
    Fill(img, at, Line({6.6f, 10.2f}, {6.9f, 13.0f}, 0.6f), Rgb(40, 110, 30));
}

static void IconCorner(Image& img, const Place& at)
{
    Col grid = Rgb(230, 230, 230);
    Fill(img, at, Line({0.5f, 7.5f}, {15.0f, 7.5f}, 2.6f), kInk, 0.7f);
    Fill(img, at, Line({7.5f, 0.5f}, {7.5f, 15.0f}, 2.6f), kInk, 0.7f);
    Fill(img, at, Line({0.5f, 7.5f}, {15.0f, 7.5f}, 1.0f), grid);
    Fill(img, at, Line({7.5f, 0.5f}, {7.5f, 15.0f}, 1.0f), grid);
    Outlined(img, at, Circle(7.5f, 7.5f, 3.6f), Rgb(255, 220, 40), 1.2f);
    Fill(img, at, Circle(7.5f, 7.5f, 1.1f), kInk);
}

static void IconRotate(Image& img, const Place& at)
{
    const float a0 = -0.3f * kPi, a1 = 1.2f * kPi, r = 5.0f;
    // Arrow head at the arc's clockwise end, pointing along the turn.
    Pt e = {7.5f + r * std::cos(a1), 7.5f + r * std::sin(a1)};
    Pt tan = {-std::sin(a1), std::cos(a1)}, rad = {std::cos(a1), std::sin(a1)};
    Shape head = Poly({{e.x + 3.4f * tan.x, e.y + 3.4f * tan.y},
                       {e.x - 0.4f * tan.x + 3.0f * rad.x, e.y - 0.4f * tan.y + 3.0f * rad.y},
                       {e.x - 0.4f * tan.x - 3.0f * rad.x, e.y - 0.4f * tan.y - 3.0f * rad.y}});
    Outlined(img, at, Union(Arc(7.5f, 7.5f, r, a0, a1, 2.2f), head), Rgb(90, 190, 255));
}

static void IconMirror(Image& img, const Place& at, bool alongX)
{
    auto P = [alongX](float a, float b) { return alongX ? Pt{a, b} : Pt{b, a}; };
    Outlined(img, at, Poly({P(0.8f, 12.5f), P(6.2f, 12.5f), P(6.2f, 3.0f)}), Rgb(90, 190, 255), 0.9f);
    Outlined(img, at, Poly({P(14.2f, 12.5f), P(8.8f, 12.5f), P(8.8f, 3.0f)}), Rgb(235, 235, 240), 0.9f);
    for (int i = 0; i < 4; i++)
        Fill(img, at, Line(P(7.5f, 0.6f + 4.0f * i), P(7.5f, 2.6f + 4.0f * i), 1.1f), Rgb(255, 220, 40));
}

static void IconTriangle(Image& img, const Place& at)
{
    Outlined(img, at, Box(1.5f, 1.5f, 13.5f, 13.5f), Rgb(90, 190, 255));
    Fill(img, at, Poly({{1.5f, 1.5f}, {13.5f, 1.5f}, {1.5f, 13.5f}}), Rgb(235, 235, 240));
    Fill(img, at, Line({13.5f, 1.5f}, {1.5f, 13.5f}, 1.3f), kInk);
    Fill(img, at, Line({1.5f, 1.5f}, {13.5f, 13.5f}, 0.8f), Rgb(255, 220, 40), 0.9f);
}

static void IconPaintHeight(Image& img, const Place& at)
{
    Shape arrow = Union(Line({6.0f, 3.0f}, {6.0f, 10.0f}, 2.0f),
                        Union(Poly({{2.4f, 4.4f}, {6.0f, 0.4f}, {9.6f, 4.4f}}),
                              Poly({{2.4f, 8.6f}, {6.0f, 12.6f}, {9.6f, 8.6f}})));
    Outlined(img, at, arrow, Rgb(120, 230, 110));
    Outlined(img, at, Line({3.0f, 14.6f}, {14.0f, 14.6f}, 1.4f), Rgb(235, 235, 240), 0.8f);
    Outlined(img, at, Circle(14.2f, 14.2f, 1.6f), Rgb(255, 70, 50), 0.8f);
}

static void IconFlood(Image& img, const Place& at)
{
    // A tipped bucket pouring toward the bottom-left corner.
    Outlined(img, at, Arc(10.0f, 6.5f, 4.2f, -0.95f * kPi, -0.05f * kPi, 1.1f), Rgb(170, 170, 180), 0.7f);
    Shape bucket = Poly({{5.0f, 6.0f}, {14.6f, 4.2f}, {13.6f, 11.8f}, {7.0f, 13.0f}});
    Outlined(img, at, bucket, Rgb(190, 190, 200));
    Fill(img, at, Ellipse(5.8f, 9.4f, 1.4f, 3.4f), Rgb(60, 150, 230));
    Outlined(img, at, Union(Line({5.0f, 10.0f}, {2.0f, 13.6f}, 1.6f), Ellipse(2.6f, 14.6f, 2.4f, 1.1f)),
             Rgb(60, 150, 230), 0.7f);
}

static void IconErase(Image& img, const Place& at)
{
    Shape body = Poly({{1.6f, 10.0f}, {8.6f, 3.0f}, {14.2f, 8.6f}, {7.2f, 15.6f}});
    Outlined(img, at, body, Rgb(240, 130, 150));
    Fill(img, at, Poly({{1.6f, 10.0f}, {5.1f, 6.5f}, {10.7f, 12.1f}, {7.2f, 15.6f}}), Rgb(90, 140, 230));
    Fill(img, at, Line({5.1f, 6.5f}, {10.7f, 12.1f}, 0.8f), kInk);
}

static void IconCave(Image& img, const Place& at)
{
    Shape hill = Minus(Ellipse(8.0f, 15.5f, 8.0f, 11.5f), Box(-2.0f, 15.5f, 18.0f, 20.0f));
    Outlined(img, at, hill, Rgb(150, 120, 84));
    Fill(img, at, Ellipse(4.5f, 8.0f, 2.0f, 1.2f), Rgb(110, 150, 70));
    Fill(img, at, Ellipse(11.5f, 6.8f, 2.2f, 1.3f), Rgb(110, 150, 70));
    Shape mouth = Minus(Ellipse(8.0f, 15.5f, 4.0f, 6.0f), Box(-2.0f, 15.5f, 18.0f, 20.0f));
    Fill(img, at, mouth, Rgb(16, 12, 10));
}

typedef void (*IconFn)(Image&, const Place&);
static void IconMirrorX(Image& img, const Place& at) { IconMirror(img, at, true); }
static void IconMirrorZ(Image& img, const Place& at) { IconMirror(img, at, false); }

// In tool order, then the CAVE EDIT pointers of tools 2 and 8.
static const IconFn kIcons[11] = {IconSample, IconPaint,       IconCorner, IconRotate,
                                  IconMirrorX, IconMirrorZ,    IconTriangle, IconPaintHeight,
                                  IconFlood,  IconErase,       IconCave};
static const char* const kIconNames[11] = {"sampletexture", "painttexture", "landcornerselector",
                                           "rotatetexture", "fliptexturex", "fliptexturez",
                                           "fliptriangle",  "paintheight",  "flood",
                                           "erase",         "cave"};

static void WriteIcons(const fs::path& dir)
{
    for (int i = 0; i < 11; i++)
    {
        Image img(16, 16);
        kIcons[i](img, Place{});
        SaveDds(dir / (std::string(kIconNames[i]) + ".dds"), img);
    }
}

// The tool palette, drawn 1:1 at 64 x 64. Tool = row * 3 + column; a click picks cell
// (x / 20, y / 20), while the green frame of the selected tool runs from
// (4 + 19c, 4 + 21r) to (19 + 19c, 21 + 21r): each icon sits where both agree.
static void WritePalette(const fs::path& path, bool bCave)
{
    Image img(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
        {
            float shade = 0.16f + 0.05f * (1.0f - y / 63.0f);
            img.Set(x, y, {shade * 0.9f, shade, shade * 1.2f});
        }
    Fill(img, Place{}, Minus(Box(0.0f, 0.0f, 64.0f, 64.0f), Box(1.0f, 1.0f, 63.0f, 63.0f)), Rgb(90, 100, 120));
    static const int kCaveIcon[9] = {0, 1, 9, -1, -1, -1, -1, -1, 10};
    for (int tool = 0; tool < 9; tool++)
    {
        int r = tool / 3, c = tool % 3;
        float left = 5.0f + 19.0f * c, top = 5.0f + 21.0f * r;
        bool active = !bCave || kCaveIcon[tool] >= 0;
        Col well = active ? (bCave ? Rgb(96, 70, 40) : Rgb(54, 62, 80)) : Rgb(30, 30, 34);
        Fill(img, Place{}, Box(left, top, left + 14.0f, top + (r == 2 ? 13.0f : 14.0f), 2.0f), well);
        Place at{left + 1.0f, top + 1.0f, 12.0f / 16.0f};
        int icon = bCave && kCaveIcon[tool] >= 0 ? kCaveIcon[tool] : tool;
        Image cell(64, 64);
        kIcons[icon](cell, at);
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++)
            {
                float* p = cell.At(x, y);
                if (p[3] <= 0.0f)
                    continue;
                Col col = {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
                if (!active) // tools without a CAVE EDIT action are greyed out
                {
                    float g = 0.3f * col.r + 0.55f * col.g + 0.15f * col.b;
                    col = Col{g, g, g} * 0.45f + Rgb(30, 30, 34) * 0.3f;
                }
                img.Blend(x, y, col, p[3]);
            }
    }
    SaveDds(path, img);
}

// ---------------------------------------------------------------------------------------------
// The SAVE and LOAD panels. Both are drawn in panel pixels (the size the screen shows them
// at) and sampled into power-of-two textures that the quad stretches back.

typedef std::function<void(float, float, Col&, float&)> Painter;

static void Render(const fs::path& path, int tw, int th, float pw, float ph, const Painter& paint, int ss = 3)
{
    Image img(tw, th);
    for (int y = 0; y < th; y++)
        for (int x = 0; x < tw; x++)
        {
            Col sum = {0, 0, 0};
            float alpha = 0.0f;
            for (int j = 0; j < ss; j++)
                for (int i = 0; i < ss; i++)
                {
                    float px = (x + (i + 0.5f) / ss) * pw / tw, py = (y + (j + 0.5f) / ss) * ph / th;
                    Col c = {0, 0, 0};
                    float a = 0.0f;
                    paint(px, py, c, a);
                    sum = sum + c * a;
                    alpha += a;
                }
            float* p = img.At(x, y);
            p[0] = sum.r / (ss * ss);
            p[1] = sum.g / (ss * ss);
            p[2] = sum.b / (ss * ss);
            p[3] = alpha / (ss * ss);
        }
    SaveDds(path, img);
}

// Panel body: brushed dark steel with a light bevel, a title band and rounded corners.
static bool PanelBody(float x, float y, float w, float h, Col& c, float& a)
{
    float d = Box(0.0f, 0.0f, w, h, 6.0f)(x, y);
    if (d > 0.0f)
        return false;
    float grain = ValueNoise(x / w, y / 64.0f, 97, 400) * 0.04f;
    c = Mix(Rgb(44, 50, 62), Rgb(28, 32, 42), y / h) + Col{grain, grain, grain};
    if (d > -2.0f)
        c = Rgb(150, 160, 178);
    else if (d > -4.0f)
        c = Rgb(20, 22, 28);
    a = 1.0f;
    return true;
}

static void Inset(float x, float y, float x0, float y0, float x1, float y1, Col fill, Col& c)
{
    float d = Box(x0, y0, x1, y1, 3.0f)(x, y);
    if (d > 1.5f)
        return;
    if (d > 0.0f)
        c = (y > (y0 + y1) * 0.5f) ? Rgb(120, 130, 150) : Rgb(12, 14, 18); // sunk: dark top, lit bottom
    else
        c = fill;
}

static void WriteSettingsPanels(const fs::path& dir)
{
    // SAVE: 305 x 71 on screen; title at (55, 9), the typed name at (15, 45) in panel pixels.
    Render(dir / "settingsave.dds", 512, 128, 305.0f, 71.0f, [](float x, float y, Col& c, float& a) {
        if (!PanelBody(x, y, 305.0f, 71.0f, c, a))
            return;
        Inset(x, y, 48.0f, 6.0f, 226.0f, 30.0f, Rgb(16, 20, 36), c);
        Inset(x, y, 9.0f, 40.0f, 296.0f, 65.0f, Rgb(8, 10, 14), c);
        if (x > 10.0f && x < 44.0f && y > 10.0f && y < 28.0f) // a disk symbol before the title
        {
            Col disk = Rgb(70, 110, 180);
            if (x > 16.0f && x < 38.0f && y > 12.0f && y < 18.0f)
                disk = Rgb(210, 214, 220);
            if (x > 18.0f && x < 36.0f && y > 21.0f && y < 28.0f)
                disk = Rgb(36, 56, 96);
            c = Box(12.0f, 10.0f, 42.0f, 28.0f, 2.0f)(x, y) < 0.0f ? disk : c;
        }
    });

    // LOAD: 256 x 256 on screen; title at (55, 8), fourteen rows of names from (20, 35) 15
    // pixels apart, the scroll arrows at (240, 55)-(255, 75) and (240, 210)-(255, 225), drawn
    // under the panel: they show through arrow-shaped holes.
    Render(dir / "settingload.dds", 256, 256, 256.0f, 256.0f, [](float x, float y, Col& c, float& a) {
        if (!PanelBody(x, y, 256.0f, 256.0f, c, a))
            return;
        Inset(x, y, 48.0f, 5.0f, 226.0f, 29.0f, Rgb(16, 20, 36), c);
        Inset(x, y, 10.0f, 33.0f, 237.0f, 250.0f, Rgb(8, 10, 14), c);
        if (x > 12.0f && x < 235.0f && y > 35.0f && y < 248.0f && ((int)((y - 35.0f) / 15.0f) % 2) == 1)
            c = Rgb(18, 22, 30); // alternate row bands
        Inset(x, y, 240.0f, 78.0f, 254.0f, 206.0f, Rgb(30, 34, 44), c); // scroll track
        Shape up = Poly({{247.5f, 58.0f}, {254.0f, 72.0f}, {241.0f, 72.0f}});
        Shape down = Poly({{241.0f, 212.0f}, {254.0f, 212.0f}, {247.5f, 223.0f}});
        float du = up(x, y), dd = down(x, y);
        if (du < 0.0f || dd < 0.0f)
            a = 0.0f;
        else if (du < 1.5f || dd < 1.5f)
            c = Rgb(10, 10, 12);
    });
}

// ---------------------------------------------------------------------------------------------
// The memorial picture: an obelisk on a stepped plinth under a dusk sky, with two wreaths,
// cypresses and poppies. Painted in a 1024 x 512 frame (the size on screen).

static float Noise1(float x, uint32_t seed)
{
    int i = (int)std::floor(x);
    float f = x - i;
    f = f * f * (3.0f - 2.0f * f);
    float a = Hash01((uint32_t)i, 0, seed), b = Hash01((uint32_t)(i + 1), 0, seed);
    return a + (b - a) * f;
}

static void PaintMemorial(float x, float y, Col& c, float& a)
{
    a = 1.0f;
    const float horizon = 330.0f;
    // Sky: night blue above, rose, then a glow of the set sun behind the hills on the right.
    float t = Clamp01(y / horizon);
    c = Mix(Rgb(14, 18, 48), Rgb(74, 50, 96), Smooth(0.0f, 0.7f, t));
    c = Mix(c, Rgb(220, 110, 70), Smooth(0.55f, 1.0f, t));
    float glow = std::exp(-(Len((x - 720.0f) / 2.2f, y - horizon) / 150.0f));
    c = c + Rgb(255, 170, 80) * (0.45f * glow);
    if (y < 250.0f && Hash01((uint32_t)(x / 2), (uint32_t)(y / 2), 500) > 0.9975f)
        c = Mix(c, Rgb(255, 250, 230), 0.6f * (1.0f - t));
    // Thin cloud streaks lit from below.
    float cloud = Fbm(x / 1024.0f, y / 160.0f, 3, 4, 501);
    float band = Smooth(0.56f, 0.7f, cloud) * Smooth(120.0f, 200.0f, y) * (1.0f - Smooth(260.0f, 310.0f, y));
    c = Mix(c, Rgb(150, 80, 90), 0.5f * band);

    // Far hills, then near ground.
    float far = horizon - 26.0f - 30.0f * Noise1(x / 90.0f, 502) - 14.0f * Noise1(x / 31.0f, 503);
    if (y > far)
        c = Mix(Rgb(40, 34, 66), Rgb(56, 44, 74), Noise1(x / 50.0f, 504));
    float near = horizon + 6.0f * Noise1(x / 120.0f, 505);
    if (y > near)
    {
        float g = Fbm(x / 1024.0f, y / 512.0f, 16, 3, 506);
        c = Mix(Rgb(30, 40, 26), Rgb(16, 22, 16), Smooth(near, 512.0f, y)) * (0.8f + 0.4f * g);
        // A gravel path up to the memorial.
        float half = 60.0f + (y - near) * 0.9f;
        if (std::fabs(x - 512.0f) < half)
            c = Mix(Rgb(110, 96, 84), Rgb(70, 60, 54), Smooth(near, 512.0f, y)) * (0.85f + 0.3f * g);
    }

    // Cypresses on either side.
    const float cx[4] = {150.0f, 230.0f, 800.0f, 880.0f};
    const float ch[4] = {190.0f, 150.0f, 160.0f, 200.0f};
    for (int i = 0; i < 4; i++)
    {
        float base = near + 8.0f;
        float k = (base - y) / ch[i];
        if (k > 0.0f && k < 1.0f)
        {
            float wdt = 26.0f * std::sqrt(k) * (1.0f - k) * 2.2f;
            float edge = wdt * (0.85f + 0.3f * Noise1(y / 6.0f, 510 + i));
            if (std::fabs(x - cx[i]) < edge)
                c = Mix(Rgb(16, 26, 20), Rgb(34, 44, 30), Clamp01((x - cx[i]) / edge * 0.5f + 0.5f));
        }
    }

    // Plinth steps and pedestal, lit from the right by the afterglow.
    auto stone = [&](float shade) {
        float g = Fbm(x / 1024.0f, y / 512.0f, 32, 3, 520);
        return Mix(Rgb(120, 116, 122), Rgb(196, 182, 170), shade) * (0.88f + 0.24f * g);
    };
    struct Step
    {
        float x0, x1, y0, y1;
    };
    const Step steps[3] = {{330.0f, 694.0f, 436.0f, 468.0f}, {366.0f, 658.0f, 408.0f, 436.0f},
                           {404.0f, 620.0f, 384.0f, 408.0f}};
    for (const Step& s : steps)
        if (x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1)
        {
            c = stone(y < s.y0 + 6.0f ? 0.85f : 0.45f + 0.25f * (x - s.x0) / (s.x1 - s.x0));
            if (y > s.y1 - 3.0f)
                c = c * 0.6f;
        }
    if (x >= 432.0f && x <= 592.0f && y >= 280.0f && y <= 384.0f)
    {
        c = stone(0.5f + 0.3f * (x - 432.0f) / 160.0f);
        if (y < 292.0f) // cornice
            c = stone(0.9f);
        if (x > 456.0f && x < 568.0f && y > 306.0f && y < 368.0f) // recessed tablet
        {
            c = c * 0.72f;
            int row = (int)((y - 314.0f) / 9.0f);
            if (y > 314.0f && row < 6 && std::fmod(y - 314.0f, 9.0f) < 2.0f &&
                x > 470.0f && x < 554.0f - 10.0f * Hash01(row, 0, 521))
                c = c * 0.7f; // engraved lines
        }
    }
    // The obelisk: tapering shaft with two faces and a pyramidion.
    float top = 60.0f, foot = 280.0f;
    if (y >= top && y <= foot)
    {
        float k = (y - top) / (foot - top);
        float hw = 30.0f + 24.0f * k;
        float ridge = 512.0f + 8.0f - 4.0f * k;
        if (std::fabs(x - 512.0f) < hw)
            c = x < ridge ? stone(0.35f) : stone(0.8f);
        if (std::fabs(x - 512.0f) < hw && y > 150.0f && y < 190.0f) // a laurel emblem
        {
            float r = Len((x - 514.0f) / 1.0f, y - 170.0f);
            if (r > 11.0f && r < 15.0f && y > 162.0f)
                c = Mix(Rgb(120, 104, 60), Rgb(200, 170, 90), x > 514.0f ? 0.8f : 0.3f);
        }
    }
    if (y >= 20.0f && y < top)
    {
        float k = (y - 20.0f) / (top - 20.0f);
        float hw = 30.0f * k;
        if (std::fabs(x - 512.0f) < hw)
            c = x < 520.0f - 8.0f * (1.0f - k) ? stone(0.4f) : stone(0.95f);
    }

    // Two wreaths leaning on the pedestal, with poppies and a ribbon.
    const float wx[2] = {456.0f, 568.0f};
    for (int i = 0; i < 2; i++)
    {
        float dx = x - wx[i], dy = (y - 378.0f) * 1.08f;
        float r = Len(dx, dy);
        if (r > 20.0f && r < 36.0f)
        {
            float leaf = Fbm(x / 1024.0f, y / 512.0f, 128, 2, 530 + i);
            c = Mix(Rgb(20, 52, 24), Rgb(60, 104, 44), leaf) * (0.8f + 0.3f * Clamp01(-dy / 36.0f + 0.5f));
            float ang = std::atan2(dy, dx);
            float petal = std::fmod(ang + 2.0f * kPi, 2.0f * kPi / 9.0f) - kPi / 9.0f;
            if (std::fabs(petal) < 0.16f && std::fabs(r - 28.0f) < 5.0f)
                c = std::fabs(r - 28.0f) < 1.6f ? Rgb(30, 14, 12) : Rgb(200, 26, 22);
        }
        if (y > 404.0f && y < 440.0f && std::fabs(x - wx[i] + (y - 404.0f) * (i ? 0.4f : -0.4f)) < 6.0f)
            c = Rgb(170, 20, 24); // ribbon tails
        if (Len(x - wx[i], y - 410.0f) < 7.0f)
            c = Rgb(200, 30, 30);
    }

    // Poppies in the grass of the foreground.
    if (y > near + 30.0f && std::fabs(x - 512.0f) > 80.0f + (y - near) * 0.9f)
    {
        float cell = 22.0f;
        float gx = std::floor(x / cell), gy = std::floor(y / cell);
        float h = Hash01((uint32_t)gx, (uint32_t)gy, 540);
        if (h > 0.55f)
        {
            float px = (gx + 0.2f + 0.6f * Hash01((uint32_t)gx, (uint32_t)gy, 541)) * cell;
            float py = (gy + 0.2f + 0.6f * Hash01((uint32_t)gx, (uint32_t)gy, 542)) * cell;
            float size = 2.0f + 4.0f * Smooth(near, 512.0f, y);
            float d = Len(x - px, (y - py) * 1.3f);
            if (d < size)
                c = d < size * 0.3f ? Rgb(20, 10, 10) : Rgb(196, 24, 20);
            else if (std::fabs(x - px) < 0.8f && y > py && y < py + size * 3.0f)
                c = Rgb(40, 70, 30);
        }
    }

    // Vignette.
    float vx = (x - 512.0f) / 600.0f, vy = (y - 256.0f) / 360.0f;
    c = c * (1.0f - 0.45f * Clamp01(vx * vx + vy * vy));
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: makeassets <output directory>\n");
        return 2;
    }
    fs::path out = argv[1];
    fs::path textures = out / "textures";
    try
    {
        WriteLandTextures(textures / "rode" / "alpha");
        WriteCursor(textures);
        WriteIcons(textures);
        WritePalette(textures / "landeditgui.dds", false);
        WritePalette(textures / "landeditguicave.dds", true);
        WriteSettingsPanels(textures);
        Render(textures / "splash" / "warmemorial.dds", 512, 256, 1024.0f, 512.0f, PaintMemorial, 2);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "makeassets: %s\n", e.what());
        return 1;
    }
    return g_bFailed ? 1 : 0;
}
